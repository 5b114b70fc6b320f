package java.applet;

import java.awt.Dimension;
import java.awt.HeadlessException;
import java.awt.Image;
import java.awt.Panel;
import java.io.IOException;
import java.io.ObjectInputStream;
import java.net.MalformedURLException;
import java.net.URL;
import java.util.Locale;
import javax.accessibility.AccessibleContext;
import javax.accessibility.AccessibleRole;
import javax.accessibility.AccessibleState;
import javax.accessibility.AccessibleStateSet;

/**
 * An applet that lives without a display: the virtual users run applets headless, so nothing here needs a screen.
 */
@SuppressWarnings({"deprecation", "removal"})
public class Applet extends Panel {
    private static final long serialVersionUID = -5836846270535785031L;

    private transient AppletStub stub;

    AccessibleContext accessibleContext = null;

    public Applet() throws HeadlessException {
    }

    private void readObject(ObjectInputStream s) throws ClassNotFoundException, IOException, HeadlessException {
        s.defaultReadObject();
    }

    public final void setStub(AppletStub stub) {
        // Replacing the stub of a running applet would let code redirect its parameters and its page.
        if (this.stub != null) {
            SecurityManager security = System.getSecurityManager();
            if (security != null) {
                security.checkPermission(new java.awt.AWTPermission("setAppletStub"));
            }
        }
        this.stub = stub;
    }

    public boolean isActive() {
        return stub != null && stub.isActive();
    }

    public URL getDocumentBase() {
        return stub == null ? null : stub.getDocumentBase();
    }

    public URL getCodeBase() {
        return stub == null ? null : stub.getCodeBase();
    }

    public String getParameter(String name) {
        return stub == null ? null : stub.getParameter(name);
    }

    public AppletContext getAppletContext() {
        return stub == null ? null : stub.getAppletContext();
    }

    public void resize(int width, int height) {
        Dimension d = size();
        if (d.width != width || d.height != height) {
            super.resize(width, height);
            if (stub != null) {
                stub.appletResize(width, height);
            }
        }
    }

    public void resize(Dimension d) {
        resize(d.width, d.height);
    }

    @Override
    public boolean isValidateRoot() {
        return true;
    }

    public void showStatus(String msg) {
        AppletContext context = getAppletContext();
        if (context != null) {
            context.showStatus(msg);
        }
    }

    public Image getImage(URL url) {
        AppletContext context = getAppletContext();
        return context == null ? null : context.getImage(url);
    }

    public Image getImage(URL url, String name) {
        try {
            return getImage(new URL(url, name));
        } catch (MalformedURLException e) {
            return null;
        }
    }

    /**
     * A clip that plays nothing: there is no sound device to play on.
     */
    public static final AudioClip newAudioClip(URL url) {
        return new SilentAudioClip();
    }

    public AudioClip getAudioClip(URL url) {
        AppletContext context = getAppletContext();
        return context == null ? null : context.getAudioClip(url);
    }

    public AudioClip getAudioClip(URL url, String name) {
        try {
            return getAudioClip(new URL(url, name));
        } catch (MalformedURLException e) {
            return null;
        }
    }

    public String getAppletInfo() {
        return null;
    }

    @Override
    public Locale getLocale() {
        Locale locale = super.getLocale();
        return locale == null ? Locale.getDefault() : locale;
    }

    public String[][] getParameterInfo() {
        return null;
    }

    public void play(URL url) {
        AudioClip clip = getAudioClip(url);
        if (clip != null) {
            clip.play();
        }
    }

    public void play(URL url, String name) {
        AudioClip clip = getAudioClip(url, name);
        if (clip != null) {
            clip.play();
        }
    }

    public void init() {
    }

    public void start() {
    }

    public void stop() {
    }

    public void destroy() {
    }

    @Override
    public AccessibleContext getAccessibleContext() {
        if (accessibleContext == null) {
            accessibleContext = new AccessibleApplet();
        }
        return accessibleContext;
    }

    protected class AccessibleApplet extends AccessibleAWTPanel {
        private static final long serialVersionUID = 8127374778187708896L;

        protected AccessibleApplet() {
            super();
        }

        @Override
        public AccessibleRole getAccessibleRole() {
            return AccessibleRole.FRAME;
        }

        @Override
        public AccessibleStateSet getAccessibleStateSet() {
            AccessibleStateSet states = super.getAccessibleStateSet();
            states.add(AccessibleState.ACTIVE);
            return states;
        }
    }

    private static final class SilentAudioClip implements AudioClip {
        @Override
        public void play() {
        }

        @Override
        public void loop() {
        }

        @Override
        public void stop() {
        }
    }
}
