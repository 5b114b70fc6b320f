import java.applet.Applet;
import java.lang.reflect.Field;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.TimeUnit;

/**
 * One applet element of a page: its archives, its applet object, and what the page calls on it.
 *
 * Every entry point is called by the native side on the virtual user's owner thread and never throws: applet
 * failures are logged and give a neutral result.
 */
@SuppressWarnings({"deprecation", "removal"})
final class VokAppletMgr {
    private static final long JOIN_MS = 200;
    private static final int STOP_ROUNDS = 3;
    private static final int REPORTED_FRAMES = 5;
    private static final int MAX_REPORTED_TEXT = 500;

    private final VokVuserMgr user;
    private final long handle;
    private final VokAppletThreadGroup threads;
    private final VokAppletStub stub;
    private final VokAppletContext context;
    private volatile JarClassLoader loader;
    private volatile Applet applet;
    private volatile VokMemberAccess members;
    private volatile boolean active;

    VokAppletMgr(Object vuserMgr, long appletHandle) {
        VokVuserMgr owner = vuserMgr instanceof VokVuserMgr ? (VokVuserMgr) vuserMgr : VokVuserMgr.forOwnerThread();
        if (owner == null) {
            // Without its user the applet could not log or reach the page; give it one rather than fail later.
            owner = new VokVuserMgr();
            owner.log(VokVuserMgr.LOG_ERRORS, "VokAppletMgr made without its virtual user: a stand-in user is used");
        }
        user = owner;
        handle = appletHandle;
        threads = new VokAppletThreadGroup(user.threadGroup(), "applet-" + Long.toHexString(appletHandle), this);
        context = new VokAppletContext(this);
        stub = new VokAppletStub(this);
        loader = new JarClassLoader(this);
        user.addApplet(this);
    }

    // --- called by the native side

    String GetMethodOrFieldReturnType(String name) {
        VokMemberAccess m = members;
        return m == null ? "none" : m.returnTypeWord(name);
    }

    String CallAppletMethod(String name, Object[] args) {
        user.refreshLogLevel();
        Applet target = applet;
        VokMemberAccess m = members;
        Object[] values = args == null ? new Object[0] : args;
        if (target == null || m == null) {
            user.log(VokVuserMgr.LOG_ERRORS, "no applet started to call " + name + " on");
            return null;
        }
        VokMemberAccess.Choice choice = m.chooseMethod(name, values);
        if (choice == null) {
            user.log(VokVuserMgr.LOG_ERRORS, "no method " + name + " taking " + values.length + " argument(s)");
            return null;
        }
        ClassLoader previous = enterApplet();
        try {
            Object result = choice.method.invoke(target, choice.arguments);
            String text = choice.method.getReturnType() == void.class || result == null ? null : String.valueOf(result);
            if (VokVuserMgr.traceMembers) {
                user.log(VokVuserMgr.LOG_INFO, "applet call " + choice.method + " with " + Arrays.toString(values)
                                                   + " gave " + text);
            }
            return text;
        } catch (InvocationTargetException e) {
            report("applet method " + name, e.getCause());
        } catch (Throwable t) {
            report("applet method " + name, t);
        } finally {
            leaveApplet(previous);
        }
        return null;
    }

    String GetAppletProperty(String name) {
        Applet target = applet;
        Field f = target == null ? null : members.field(name);
        if (f == null) {
            user.log(VokVuserMgr.LOG_ERRORS, "no public field " + name + " to read");
            return null;
        }
        try {
            Object value = f.get(target);
            if (VokVuserMgr.traceMembers) {
                user.log(VokVuserMgr.LOG_INFO, "applet field " + f + " read as " + value);
            }
            return value == null ? null : String.valueOf(value);
        } catch (Throwable t) {
            report("applet field " + name, t);
            return null;
        }
    }

    boolean SetAppletProperty(String name, Object value) {
        Applet target = applet;
        Field f = target == null ? null : members.field(name);
        if (f == null || !VokMemberAccess.isSettable(f)) {
            user.log(VokVuserMgr.LOG_ERRORS, "no public non-final field " + name + " to set");
            return false;
        }
        Object converted = VokMemberAccess.convert(value, f.getType());
        if (converted == VokMemberAccess.NOT_CONVERTIBLE) {
            user.log(VokVuserMgr.LOG_ERRORS, "field " + name + " of type " + f.getType().getName()
                                                 + " cannot take the value " + value);
            return false;
        }
        try {
            f.set(target, converted);
            if (VokVuserMgr.traceMembers) {
                user.log(VokVuserMgr.LOG_INFO, "applet field " + f + " set to " + value);
            }
            return true;
        } catch (Throwable t) {
            report("applet field " + name, t);
            return false;
        }
    }

    String LoadJarArchive(String url, byte[] bytes) {
        user.refreshLogLevel();
        return loader.loadArchive(url, bytes);
    }

    String LoadExtraClass(byte[] bytes) {
        return loader.addClass(bytes);
    }

    String Start(String code) {
        user.refreshLogLevel();
        if (applet != null) {
            return "failed: " + applet.getClass().getName() + " is already started";
        }
        String name = classNameOf(code);
        if (name == null) {
            return "failed: \"" + code + "\" names no applet class";
        }
        ClassLoader previous = enterApplet();
        try {
            Class<?> type = Class.forName(name, true, loader);
            if (!Applet.class.isAssignableFrom(type)) {
                return "failed: " + name + " does not extend java.applet.Applet";
            }
            if (!Modifier.isPublic(type.getModifiers()) || Modifier.isAbstract(type.getModifiers())) {
                return "failed: " + name + " is not a public concrete class";
            }
            // An element the native side keeps across a reset of its user belongs to that user again.
            user.addApplet(this);
            Applet made = (Applet) type.getConstructor().newInstance();
            made.setStub(stub);
            members = new VokMemberAccess(type);
            // Known before init(), so that init() can already reach its page window.
            applet = made;
            made.init();
            active = true;
            made.start();
            return "started " + type.getName();
        } catch (ClassNotFoundException e) {
            return abandonStart("class " + name + " not found", null);
        } catch (NoSuchMethodException e) {
            return abandonStart(name + " has no public constructor without arguments", null);
        } catch (InvocationTargetException e) {
            return abandonStart(name + " threw " + describe(e.getCause()), e.getCause());
        } catch (Throwable t) {
            return abandonStart(describe(t), t);
        } finally {
            leaveApplet(previous);
        }
    }

    String Stop() {
        Applet target = applet;
        if (target == null) {
            return "not started";
        }
        active = false;
        ClassLoader previous = enterApplet();
        try {
            target.stop();
        } catch (Throwable t) {
            report("applet stop()", t);
        }
        try {
            target.destroy();
        } catch (Throwable t) {
            report("applet destroy()", t);
        } finally {
            leaveApplet(previous);
        }
        stopThreads();
        applet = null;
        members = null;
        stub.forget();
        forgetThreadGroup();
        user.removeApplet(this);
        return "stopped " + target.getClass().getName();
    }

    // --- for the rest of the bridge

    VokVuserMgr user() {
        return user;
    }

    long handle() {
        return handle;
    }

    Applet applet() {
        return applet;
    }

    boolean isActive() {
        return active;
    }

    VokAppletStub stub() {
        return stub;
    }

    VokAppletContext context() {
        return context;
    }

    ThreadGroup threadGroup() {
        return threads;
    }

    JarClassLoader loader() {
        return loader;
    }

    /** Stops the applet and forgets its classes: the next iteration loads them afresh. */
    void unload() {
        Stop();
        stopThreads();
        loader = new JarClassLoader(this);
    }

    /**
     * The applet's thread group leaves the user's once its threads are gone: a group stays in its parent's list
     * until destroyed, and would hold this manager, the applet's loader and all its classes for the user's life.
     */
    private void forgetThreadGroup() {
        try {
            if (!threads.isDestroyed() && runningThreads().isEmpty()) {
                threads.destroy();
            }
        } catch (IllegalThreadStateException | SecurityException e) {
            user.log(VokVuserMgr.LOG_INFO, "the applet's thread group stays: " + e);
        }
    }

    /** Interrupts the applet's threads, then stops those that ignore it; returns how many were left running. */
    int stopThreads() {
        List<Thread> running = runningThreads();
        if (running.isEmpty()) {
            return 0;
        }
        for (Thread t : running) {
            t.interrupt();
        }
        joinAll(running);
        for (int round = 0; round < STOP_ROUNDS && anyAlive(running); round++) {
            for (Thread t : running) {
                if (t.isAlive()) {
                    t.stop();
                }
            }
            joinAll(running);
        }
        int left = 0;
        for (Thread t : running) {
            if (t.isAlive()) {
                left++;
                user.log(VokVuserMgr.LOG_ERRORS, "applet thread \"" + t.getName() + "\" would not stop");
            } else {
                user.log(VokVuserMgr.LOG_INFO, "applet thread \"" + t.getName() + "\" stopped");
            }
        }
        return left;
    }

    List<Thread> runningThreads() {
        Thread[] found = new Thread[threads.activeCount() + 16];
        int n = threads.enumerate(found, true);
        while (n == found.length) {
            found = new Thread[found.length * 2];
            n = threads.enumerate(found, true);
        }
        List<Thread> list = new ArrayList<>();
        for (int i = 0; i < n; i++) {
            if (found[i] != Thread.currentThread()) {
                list.add(found[i]);
            }
        }
        return list;
    }

    private static void joinAll(List<Thread> list) {
        long deadline = System.nanoTime() + TimeUnit.MILLISECONDS.toNanos(JOIN_MS);
        for (Thread t : list) {
            long left = TimeUnit.NANOSECONDS.toMillis(deadline - System.nanoTime());
            if (left <= 0) {
                break;
            }
            try {
                t.join(left);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
                return;
            }
        }
    }

    private static boolean anyAlive(List<Thread> list) {
        for (Thread t : list) {
            if (t.isAlive()) {
                return true;
            }
        }
        return false;
    }

    private String abandonStart(String reason, Throwable cause) {
        if (cause != null) {
            report("applet start", cause);
        }
        applet = null;
        members = null;
        active = false;
        stopThreads();
        return "failed: " + reason;
    }

    private ClassLoader enterApplet() {
        Thread current = Thread.currentThread();
        ClassLoader previous = current.getContextClassLoader();
        current.setContextClassLoader(loader);
        user.guard().enter();
        return previous;
    }

    private void leaveApplet(ClassLoader previous) {
        if (user.guard().leave()) {
            user.log(VokVuserMgr.LOG_ERRORS, "applet code ran longer than " + VokVuserMgr.foreignCallTimeoutMs
                                                 + " ms and was ended");
        }
        Thread.currentThread().setContextClassLoader(previous);
    }

    /** "pkg.Foo" from "pkg.Foo", "pkg/Foo.class" or "Foo.class"; null when that is no class name. */
    static String classNameOf(String code) {
        if (code == null) {
            return null;
        }
        String name = code.trim();
        if (name.endsWith(".class")) {
            name = name.substring(0, name.length() - ".class".length());
        }
        name = name.replace('/', '.').replace('\\', '.');
        for (String part : name.split("\\.", -1)) {
            if (!isIdentifier(part)) {
                return null;
            }
        }
        return name;
    }

    private static boolean isIdentifier(String part) {
        if (part.isEmpty() || !Character.isJavaIdentifierStart(part.charAt(0))) {
            return false;
        }
        for (int i = 1; i < part.length(); i++) {
            if (!Character.isJavaIdentifierPart(part.charAt(i))) {
                return false;
            }
        }
        return true;
    }

    /** Logs an applet's failure: class, message and the top frames; survives an exception that misbehaves. */
    void report(String where, Throwable t) {
        user.log(VokVuserMgr.LOG_ERRORS, where + " threw " + describe(t));
        // A stop's stack is the stopper's (the time limit's watchdog, a thread stop), not the applet's.
        if (t instanceof ThreadDeath) {
            return;
        }
        try {
            StackTraceElement[] frames = t.getStackTrace();
            for (int i = 0; i < Math.min(REPORTED_FRAMES, frames.length); i++) {
                user.log(VokVuserMgr.LOG_ERRORS, "    at " + frames[i]);
            }
        } catch (Throwable ignored) {
            user.log(VokVuserMgr.LOG_ERRORS, "    (its stack could not be read)");
        }
    }

    static String describe(Throwable t) {
        if (t == null) {
            return "an unknown error";
        }
        String text = t.getClass().getName();
        try {
            String message = t.getMessage();
            if (message != null) {
                text += ": " + (message.length() > MAX_REPORTED_TEXT ? message.substring(0, MAX_REPORTED_TEXT) + "..."
                                                                     : message);
            }
        } catch (Throwable ignored) {
            text += " (its message could not be read)";
        }
        return text;
    }
}
