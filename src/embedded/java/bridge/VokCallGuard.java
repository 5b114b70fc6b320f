import java.util.concurrent.Executors;
import java.util.concurrent.ScheduledExecutorService;
import java.util.concurrent.TimeUnit;

/**
 * The time limit of a virtual user's calls into applet code (a method, init, start, stop, destroy, a class's
 * initialiser): an applet that never returns must not hang its virtual user. The outermost call arms the limit
 * (a call the applet makes back into the page and from there into the applet again runs under the same one); when
 * it passes, a watchdog thread stops the owner thread while it is still inside that call, and again every 100 ms
 * until the call has returned. The call then gives its neutral result and the user goes on.
 */
final class VokCallGuard {
    private static final long RESTOP_MS = 100;
    private static final ScheduledExecutorService WATCHDOG = Executors.newSingleThreadScheduledExecutor(r -> {
        Thread thread = new Thread(r, "kxw-applet-watchdog");
        thread.setDaemon(true);
        return thread;
    });

    private final Thread owner;
    private int depth;  // the owner's own count
    private long token;
    private boolean armed;
    private boolean expired;

    VokCallGuard(Thread owner) {
        this.owner = owner;
    }

    /** Enters a call into applet code on the owner thread (other threads are not limited here). */
    void enter() {
        if (Thread.currentThread() != owner || depth++ > 0) {
            return;
        }
        long armedToken;
        synchronized (this) {
            armed = true;
            expired = false;
            armedToken = ++token;
        }
        schedule(armedToken, Math.max(1, VokVuserMgr.foreignCallTimeoutMs));
    }

    /** Leaves it; true when the limit ended the call. No stop is issued for this call after it returns. */
    boolean leave() {
        if (Thread.currentThread() != owner || --depth > 0) {
            return false;
        }
        boolean wasExpired;
        synchronized (this) {
            armed = false;
            wasExpired = expired;
        }
        // A stop also interrupts the thread: the owner's next wait must not end at once.
        if (wasExpired) {
            Thread.interrupted();
        }
        return wasExpired;
    }

    private void schedule(long armedToken, long delayMs) {
        WATCHDOG.schedule(() -> fire(armedToken), delayMs, TimeUnit.MILLISECONDS);
    }

    @SuppressWarnings("removal")
    private void fire(long armedToken) {
        synchronized (this) {
            if (!armed || token != armedToken) {
                return;
            }
            expired = true;
            owner.stop();
        }
        schedule(armedToken, RESTOP_MS);
    }
}
