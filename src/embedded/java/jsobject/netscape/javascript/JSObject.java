package netscape.javascript;

import java.util.function.Function;

/**
 * A script object of the page, seen from an applet.
 */
public abstract class JSObject {
    private static final RuntimePermission INSTALL_PERMISSION =
        new RuntimePermission("netscape.javascript.installWindowProvider");

    // The bridge that runs the applets installs it once; applets must not replace the window they are given.
    private static volatile Function<Object, JSObject> windowProvider;

    protected JSObject() {
    }

    public abstract Object call(String methodName, Object... args) throws JSException;

    public abstract Object eval(String s) throws JSException;

    public abstract Object getMember(String name) throws JSException;

    public abstract void setMember(String name, Object value) throws JSException;

    public abstract void removeMember(String name) throws JSException;

    public abstract Object getSlot(int index) throws JSException;

    public abstract void setSlot(int index, Object value) throws JSException;

    /**
     * The window of the page that holds the applet.
     */
    public static JSObject getWindow(java.applet.Applet applet) throws JSException {
        Function<Object, JSObject> provider = windowProvider;
        if (provider == null) {
            throw new JSException("no page window: the applet does not run in a page");
        }
        // Passed on as an Object so that this module needs no reading edge to java.desktop at run time.
        Object holder = applet;
        JSObject window = provider.apply(holder);
        if (window == null) {
            throw new JSException("the page has no window for this applet");
        }
        return window;
    }

    /**
     * Installs the source of windows; refused after the first time and for code without the permission.
     */
    protected static synchronized void installWindowProvider(Function<Object, JSObject> provider) {
        SecurityManager security = System.getSecurityManager();
        if (security != null) {
            security.checkPermission(INSTALL_PERMISSION);
        }
        if (windowProvider != null) {
            throw new SecurityException("the page window provider is already installed");
        }
        if (provider == null) {
            throw new NullPointerException("provider");
        }
        windowProvider = provider;
    }
}
