import java.applet.Applet;
import java.applet.AppletContext;
import java.applet.AudioClip;
import java.awt.Image;
import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.util.ArrayList;
import java.util.Collections;
import java.util.Enumeration;
import java.util.Iterator;
import java.util.List;
import java.util.Map;
import netscape.javascript.JSException;

/**
 * The page around an applet: navigation, status, the user's other applets and the streams they share.
 */
@SuppressWarnings("deprecation")
final class VokAppletContext implements AppletContext {
    // Streams pass small state between applets; a larger one would only eat the VM's small heap.
    static final int MAX_STREAM_BYTES = 1 << 20;
    static final int MAX_STREAMS = 256;

    private final VokAppletMgr applet;

    VokAppletContext(VokAppletMgr applet) {
        this.applet = applet;
    }

    private native void showDocument(long h, String url, String target);

    private native long getAppletWindow(long h);

    /** The script handle of the applet's window, 0 when there is none or it cannot be had. */
    long windowHandle() {
        try {
            Long h = applet.user().callOnOwner("window of the applet", () -> getAppletWindow(applet.handle()));
            return h == null ? 0 : h;
        } catch (JSException e) {
            applet.user().log(VokVuserMgr.LOG_ERRORS, e.getMessage());
            return 0;
        }
    }

    @Override
    public AudioClip getAudioClip(URL url) {
        return null;
    }

    @Override
    public Image getImage(URL url) {
        return null;
    }

    @Override
    public Applet getApplet(String name) {
        return null;
    }

    @Override
    public Enumeration<Applet> getApplets() {
        List<Applet> started = new ArrayList<>();
        for (VokAppletMgr other : applet.user().applets()) {
            Applet a = other.applet();
            if (a != null) {
                started.add(a);
            }
        }
        return Collections.enumeration(started);
    }

    @Override
    public void showDocument(URL url) {
        showDocument(url, "_self");
    }

    @Override
    public void showDocument(URL url, String target) {
        if (url == null) {
            return;
        }
        String address = url.toString();
        String frame = target == null ? "_self" : target;
        applet.user().postToOwner("showDocument " + address, () -> {
            showDocument(applet.handle(), address, frame);
            return null;
        });
    }

    @Override
    public void showStatus(String status) {
        applet.user().log(VokVuserMgr.LOG_INFO, "applet status: " + status);
    }

    @Override
    public void setStream(String key, InputStream stream) throws IOException {
        Map<String, byte[]> streams = applet.user().streams();
        if (key == null) {
            throw new IOException("a stream needs a key");
        }
        if (stream == null) {
            streams.remove(key);
            return;
        }
        if (!streams.containsKey(key) && streams.size() >= MAX_STREAMS) {
            throw new IOException("too many streams (at most " + MAX_STREAMS + ")");
        }
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        byte[] buffer = new byte[8192];
        int n;
        while ((n = stream.read(buffer)) > 0) {
            if (out.size() + n > MAX_STREAM_BYTES) {
                throw new IOException("stream " + key + " is larger than " + MAX_STREAM_BYTES + " bytes");
            }
            out.write(buffer, 0, n);
        }
        streams.put(key, out.toByteArray());
    }

    @Override
    public InputStream getStream(String key) {
        byte[] bytes = key == null ? null : applet.user().streams().get(key);
        return bytes == null ? null : new ByteArrayInputStream(bytes);
    }

    @Override
    public Iterator<String> getStreamKeys() {
        return new ArrayList<>(applet.user().streams().keySet()).iterator();
    }
}
