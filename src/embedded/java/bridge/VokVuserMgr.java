import java.security.Policy;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.WeakHashMap;
import java.util.concurrent.Callable;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import netscape.javascript.JSException;

/**
 * The Java side of one virtual user: its applets, and the calls its applets' threads make into the page.
 *
 * The native side may only be entered on the thread that made this object (its owner); calls from other threads
 * wait in a queue until the owner runs them.
 */
@SuppressWarnings("removal")
final class VokVuserMgr {
    static final int LOG_ERRORS = 1;
    static final int LOG_INFO = 2;
    static final int LOG_DETAILED = 3;

    private static final int DEFAULT_TIMEOUT_MS = 10000;
    // A thread that floods the queue must not exhaust the small heap the library gives the VM.
    private static final int MAX_WAITING_CALLS = 10000;

    private static final ThreadLocal<VokVuserMgr> OWNED = new ThreadLocal<>();
    private static final Set<VokVuserMgr> USERS = Collections.newSetFromMap(new WeakHashMap<>());
    private static final AtomicInteger NEXT_ID = new AtomicInteger(1);

    static volatile boolean traceMembers;
    static volatile boolean traceClassLoading;
    static volatile int foreignCallTimeoutMs = DEFAULT_TIMEOUT_MS;
    private static volatile boolean ending;
    private static boolean protectionInstalled;

    private final int id = NEXT_ID.getAndIncrement();
    private final Thread owner = Thread.currentThread();
    private final VokCallGuard guard = new VokCallGuard(owner);
    private final ThreadGroup threadGroup;
    private final LinkedBlockingQueue<ForeignCall<?>> waiting = new LinkedBlockingQueue<>(MAX_WAITING_CALLS);
    private final CopyOnWriteArrayList<VokAppletMgr> applets = new CopyOnWriteArrayList<>();
    private final Map<String, byte[]> streams = new ConcurrentHashMap<>();
    private volatile int logLevel;

    VokVuserMgr() {
        threadGroup = new ThreadGroup(owner.getThreadGroup(), "vuser-" + id);
        logLevel = readLogLevel();
        OWNED.set(this);
        synchronized (USERS) {
            USERS.add(this);
        }
    }

    static native void logLine(String text);

    static native int getLogLevel();

    static void GlobalInit(boolean traceMembers, boolean traceClassLoading, int foreignCallTimeoutMs) {
        VokVuserMgr.traceMembers = traceMembers;
        VokVuserMgr.traceClassLoading = traceClassLoading;
        VokVuserMgr.foreignCallTimeoutMs = foreignCallTimeoutMs > 0 ? foreignCallTimeoutMs : DEFAULT_TIMEOUT_MS;
        ending = false;
        synchronized (VokVuserMgr.class) {
            if (protectionInstalled) {
                return;
            }
            try {
                VokJSObject.installWindowProvider();
                VokAppletPolicy policy = new VokAppletPolicy();
                policy.prepare();
                Policy.setPolicy(policy);
                System.setSecurityManager(new VokAppletSecurityManager());
                protectionInstalled = true;
            } catch (Throwable t) {
                // Applets never run unprotected (a VM without a security manager, such as Java 24 and later): the
                // library's start fails, saying why.
                String reason = "the applet protection could not be installed: " + VokAppletMgr.describe(t);
                logAnywhere(LOG_ERRORS, reason);
                throw new IllegalStateException(reason, t);
            }
        }
    }

    static void GlobalEnd() {
        // Applet code that calls the page while stopping must not wait for owners that no longer dispatch.
        ending = true;
        for (VokVuserMgr user : allUsers()) {
            for (VokAppletMgr applet : user.applets) {
                applet.Stop();
            }
            user.abandonWaitingCalls("the process ends");
        }
    }

    void UnloadClasses() {
        refreshLogLevel();
        for (VokAppletMgr applet : applets) {
            applet.unload();
        }
        applets.clear();
        streams.clear();
        abandonWaitingCalls("the virtual user was reset");
    }

    void StopAppletThreads() {
        refreshLogLevel();
        for (VokAppletMgr applet : applets) {
            applet.stopThreads();
        }
    }

    boolean DispatchAwaitingMethodInvocations() {
        if (Thread.currentThread() != owner) {
            return false;
        }
        refreshLogLevel();
        boolean ran = false;
        // Bounded so that a thread which keeps queueing cannot hold the owner here for ever.
        for (int n = 0; n < MAX_WAITING_CALLS; n++) {
            ForeignCall<?> call = waiting.poll();
            if (call == null) {
                break;
            }
            ran |= call.run(this);
        }
        return ran;
    }

    // --- the owner thread and its queue

    static VokVuserMgr forOwnerThread() {
        return OWNED.get();
    }

    /** The user whose owner this thread is, or whose applet started it. */
    static VokVuserMgr forCurrentThread() {
        VokVuserMgr user = OWNED.get();
        if (user != null) {
            return user;
        }
        VokAppletMgr applet = VokAppletThreadGroup.appletOf(Thread.currentThread().getThreadGroup());
        return applet == null ? null : applet.user();
    }

    boolean isOwnerThread() {
        return Thread.currentThread() == owner;
    }

    /**
     * Runs a native call on the owner: at once when on it, else queued, waiting for the result up to the timeout.
     */
    <T> T callOnOwner(String what, Callable<T> call) throws JSException {
        if (isOwnerThread()) {
            return runNative(what, call);
        }
        if (ending || !owner.isAlive()) {
            throw new JSException(what + " refused: the virtual user has ended");
        }
        ForeignCall<T> queued = new ForeignCall<>(what, call, true);
        if (!waiting.offer(queued)) {
            throw new JSException(what + " refused: too many calls wait for the virtual user");
        }
        return queued.await(foreignCallTimeoutMs);
    }

    /** Runs a native call on the owner without waiting for it. */
    void postToOwner(String what, Callable<?> call) {
        if (isOwnerThread()) {
            try {
                runNative(what, call);
            } catch (JSException e) {
                logLineSafely(e.getMessage());
            }
            return;
        }
        if (ending || !owner.isAlive()) {
            return;
        }
        if (!waiting.offer(new ForeignCall<>(what, call, false))) {
            System.err.println("kxw java: " + what + " dropped: too many calls wait for virtual user " + id);
        }
    }

    private static <T> T runNative(String what, Callable<T> call) throws JSException {
        try {
            return call.call();
        } catch (JSException e) {
            throw e;
        } catch (UnsatisfiedLinkError e) {
            throw new JSException(what + " failed: the native side is not bound (" + e.getMessage() + ")");
        } catch (RuntimeException e) {
            throw new JSException(e);
        } catch (Exception e) {
            throw new JSException(e);
        }
    }

    private void abandonWaitingCalls(String reason) {
        ForeignCall<?> call;
        while ((call = waiting.poll()) != null) {
            call.abandon(reason);
        }
    }

    // --- logging

    void log(int level, String text) {
        if (level > logLevel) {
            return;
        }
        if (isOwnerThread()) {
            logLineSafely(text);
        } else {
            postToOwner("log", () -> {
                logLineSafely(text);
                return null;
            });
        }
    }

    /** Logs through the user of this thread, or to standard error when the thread belongs to none. */
    static void logAnywhere(int level, String text) {
        VokVuserMgr user = forCurrentThread();
        if (user != null) {
            user.log(level, text);
        } else {
            System.err.println("kxw java: " + text);
        }
    }

    private static void logLineSafely(String text) {
        try {
            logLine(text);
        } catch (UnsatisfiedLinkError e) {
            // Without the library (the Java-only checks) the lines still reach someone.
            System.err.println("kxw java: " + text);
        }
    }

    private static int readLogLevel() {
        try {
            return getLogLevel();
        } catch (UnsatisfiedLinkError e) {
            return LOG_DETAILED;
        }
    }

    /** Foreign threads cannot ask the native side, so the owner keeps the level fresh at each entry. */
    void refreshLogLevel() {
        if (isOwnerThread()) {
            logLevel = readLogLevel();
        }
    }

    // --- applets

    ThreadGroup threadGroup() {
        return threadGroup;
    }

    VokCallGuard guard() {
        return guard;
    }

    int id() {
        return id;
    }

    void addApplet(VokAppletMgr applet) {
        applets.addIfAbsent(applet);
    }

    // An applet whose element went: nothing of it stays with the user (a page that is loaded again and again
    // within one iteration must not pile its applets up here).
    void removeApplet(VokAppletMgr applet) {
        applets.remove(applet);
    }

    List<VokAppletMgr> applets() {
        return applets;
    }

    Map<String, byte[]> streams() {
        return streams;
    }

    static List<VokVuserMgr> allUsers() {
        synchronized (USERS) {
            return new ArrayList<>(USERS);
        }
    }

    /** The manager of a started applet, found by identity: an applet's own equals() is not to be trusted. */
    static VokAppletMgr findStartedApplet(Object applet) {
        if (applet == null) {
            return null;
        }
        for (VokVuserMgr user : allUsers()) {
            for (VokAppletMgr mgr : user.applets) {
                if (mgr.applet() == applet) {
                    return mgr;
                }
            }
        }
        return null;
    }

    /** A call queued for the owner; the thread that queued it may give up on it (timeout, interrupt). */
    private static final class ForeignCall<T> {
        private static final int PENDING = 0;
        private static final int RUNNING = 1;
        private static final int DONE = 2;
        private static final int ABANDONED = 3;

        private final String what;
        private final Callable<T> call;
        private final boolean awaited;
        private int state = PENDING;
        private T result;
        private RuntimeException failure;

        ForeignCall(String what, Callable<T> call, boolean awaited) {
            this.what = what;
            this.call = call;
            this.awaited = awaited;
        }

        /** Runs on the owner; false when the caller had already given up. */
        boolean run(VokVuserMgr user) {
            synchronized (this) {
                if (state != PENDING) {
                    return false;
                }
                state = RUNNING;
            }
            T value = null;
            RuntimeException error = null;
            try {
                value = runNative(what, call);
            } catch (RuntimeException e) {
                error = e;
            } catch (Throwable t) {
                error = new JSException(what + " failed: " + VokAppletMgr.describe(t));
            }
            if (error != null && !awaited) {
                user.log(LOG_ERRORS, error.getMessage());
            }
            synchronized (this) {
                if (state == RUNNING) {
                    result = value;
                    failure = error;
                    state = DONE;
                    notifyAll();
                }
            }
            return true;
        }

        synchronized void abandon(String reason) {
            if (state == PENDING) {
                failure = new JSException(what + " dropped: " + reason);
                state = DONE;
                notifyAll();
            }
        }

        synchronized T await(int timeoutMs) {
            long deadline = System.nanoTime() + TimeUnit.MILLISECONDS.toNanos(timeoutMs);
            try {
                while (state != DONE) {
                    long left = deadline - System.nanoTime();
                    if (left <= 0) {
                        throw new JSException(what + " timed out after " + timeoutMs
                                              + " ms waiting for the virtual user");
                    }
                    TimeUnit.NANOSECONDS.timedWait(this, left);
                }
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
                throw new JSException(what + " interrupted while waiting for the virtual user");
            } finally {
                // Whatever made the caller leave (timeout, interrupt, stop), the owner must not run it any more.
                if (state != DONE) {
                    state = ABANDONED;
                }
            }
            if (failure != null) {
                throw failure;
            }
            return result;
        }
    }
}
