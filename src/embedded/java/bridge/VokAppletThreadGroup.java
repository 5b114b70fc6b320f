/**
 * The threads one applet started, so that they can be found and stopped with it.
 */
final class VokAppletThreadGroup extends ThreadGroup {
    private final VokAppletMgr applet;

    VokAppletThreadGroup(ThreadGroup parent, String name, VokAppletMgr applet) {
        super(parent, name);
        this.applet = applet;
    }

    VokAppletMgr applet() {
        return applet;
    }

    /** The applet whose group holds this group, walking up through the groups the applet made itself. */
    static VokAppletMgr appletOf(ThreadGroup group) {
        // Reading the parent goes through the security manager, which itself asks here: walk only as far as needed.
        for (ThreadGroup g = group; g != null; g = parentWithoutCheck(g)) {
            if (g instanceof VokAppletThreadGroup) {
                return ((VokAppletThreadGroup) g).applet;
            }
        }
        return null;
    }

    private static ThreadGroup parentWithoutCheck(ThreadGroup g) {
        try {
            return java.security.AccessController.doPrivileged(
                (java.security.PrivilegedAction<ThreadGroup>) g::getParent);
        } catch (SecurityException e) {
            return null;
        }
    }
}
