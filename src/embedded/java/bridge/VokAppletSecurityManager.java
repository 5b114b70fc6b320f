/**
 * The standard checks, plus: an applet's threads go into the applet's own group, and applet code may touch only
 * the threads and groups of its own applet.
 */
@SuppressWarnings("removal")
final class VokAppletSecurityManager extends SecurityManager {
    private static final RuntimePermission MODIFY_THREAD = new RuntimePermission("modifyThread");
    private static final RuntimePermission MODIFY_THREAD_GROUP = new RuntimePermission("modifyThreadGroup");

    @Override
    public ThreadGroup getThreadGroup() {
        VokAppletMgr applet = callingApplet();
        return applet != null ? applet.threadGroup() : super.getThreadGroup();
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
