import java.applet.AppletContext;
import java.applet.AppletStub;
import java.net.MalformedURLException;
import java.net.URL;
import java.util.concurrent.Callable;
import netscape.javascript.JSException;
import netscape.javascript.JSObject;

/**
 * What an applet asks of its page element: its base addresses, its parameters, its context and its window.
 */
final class VokAppletStub implements AppletStub {
    private final VokAppletMgr applet;
    private volatile URL documentBase;
    private volatile URL codeBase;
    // One window for the applet's life: a thread that asks for it again need not wait for the owner.
    private volatile JSObject window;

    VokAppletStub(VokAppletMgr applet) {
        this.applet = applet;
    }

    private native String getDocumentBaseStr(long h);

    private native String getCodeBaseStr(long h);

    private native String getParameterStr(long h, String name);

    @Override
    public boolean isActive() {
        return applet.isActive();
    }

    @Override
    public URL getDocumentBase() {
        if (documentBase == null) {
            documentBase = toUrl(ask("document base", () -> getDocumentBaseStr(applet.handle())));
        }
        return documentBase;
    }

    @Override
    public URL getCodeBase() {
        if (codeBase == null) {
            codeBase = toUrl(ask("code base", () -> getCodeBaseStr(applet.handle())));
        }
        return codeBase;
    }

    @Override
    public String getParameter(String name) {
        if (name == null) {
            return null;
        }
        return ask("parameter " + name, () -> getParameterStr(applet.handle(), name));
    }

    @Override
    public AppletContext getAppletContext() {
        return applet.context();
    }

    @Override
    public void appletResize(int width, int height) {
        // Nothing is laid out: the page keeps the element's own size.
    }

    /** The page window of this applet; JSException when the page has none. */
    JSObject window() {
        JSObject known = window;
        if (known != null) {
            return known;
        }
        long h = applet.context().windowHandle();
        if (h == 0) {
            throw new JSException("the page has no window for this applet");
        }
        known = new VokJSObject(applet.user(), h);
        window = known;
        return known;
    }

    /** A stopped applet lets go of its page: the next start asks for everything again. */
    void forget() {
        window = null;
        documentBase = null;
        codeBase = null;
    }

    private String ask(String what, Callable<String> call) {
        try {
            return applet.user().callOnOwner(what, call);
        } catch (JSException e) {
            applet.user().log(VokVuserMgr.LOG_ERRORS, e.getMessage());
            return null;
        }
    }

    private URL toUrl(String text) {
        if (text == null) {
            return null;
        }
        try {
            return new URL(text);
        } catch (MalformedURLException e) {
            applet.user().log(VokVuserMgr.LOG_ERRORS, "the page gave the applet a bad address: " + text);
            return null;
        }
    }
}
