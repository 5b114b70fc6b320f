/**
 * The standard checks, plus: an applet's threads go into the applet's own group, and applet code may touch only
 * the threads and groups of its own applet.
 */
@SuppressWarnings("removal")
final class VokAppletSecurityManager extends SecurityManager {
    private static final RuntimePermission MODIFY_THREAD = new RuntimePermission("modifyThread");
    private static final RuntimePermission MODIFY_THREAD_GROUP = new RuntimePermission("modifyThreadGroup");

    /** How many threads one applet may run at once: an applet that starts threads without end meets a refusal. */
    static final int MAX_APPLET_THREADS = 64;

    @Override
    public ThreadGroup getThreadGroup() {
        VokAppletMgr applet = callingApplet();
        if (applet == null) {
            return super.getThreadGroup();
        }
        // A new thread asks for its group here.
        if (applet.threadGroup().activeCount() >= MAX_APPLET_THREADS) {
            applet.user().log(VokVuserMgr.LOG_ERRORS, "the applet already runs " + MAX_APPLET_THREADS
                                                          + " threads: no more are started");
            throw new SecurityException("an applet may run at most " + MAX_APPLET_THREADS + " threads");
        }
        return applet.threadGroup();
    }

    @Override
    public void checkAccess(Thread thread) {
        VokAppletMgr applet = callingApplet();
        if (applet != null && !applet.threadGroup().parentOf(thread.getThreadGroup())) {
            checkPermission(MODIFY_THREAD);
        }
        super.checkAccess(thread);
    }

    @Override
    public void checkAccess(ThreadGroup group) {
        VokAppletMgr applet = callingApplet();
        if (applet != null && !applet.threadGroup().parentOf(group)) {
            checkPermission(MODIFY_THREAD_GROUP);
        }
        super.checkAccess(group);
    }

    /** The applet whose code is on the calling stack, nearest first; null when there is none. */
    private VokAppletMgr callingApplet() {
        Class<?>[] stack = getClassContext();
        return java.security.AccessController.doPrivileged((java.security.PrivilegedAction<VokAppletMgr>) () -> {
            for (Class<?> c : stack) {
                ClassLoader loader = c.getClassLoader();
                if (loader instanceof JarClassLoader) {
                    return ((JarClassLoader) loader).applet();
                }
            }
            return null;
        });
    }
}
