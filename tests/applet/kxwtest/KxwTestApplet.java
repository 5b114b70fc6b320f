import java.applet.Applet;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.InputStream;
import java.lang.reflect.Field;
import java.net.Socket;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import netscape.javascript.JSObject;

/**
 * An applet with one member of each kind a page may use, and one attempt at each thing an applet is refused.
 */
@SuppressWarnings({"deprecation", "removal"})
public class KxwTestApplet extends Applet {
    private Thread caller;
    private final java.util.List<Thread> sleepers = new java.util.ArrayList<>();
    private static final long serialVersionUID = 1L;

    public int count;
    public String label;
    public boolean flag;
    public double ratio;
    public long total;
    public final int fixed = 7;

    private Object nothing;
    private volatile Thread spinner;

    @Override
    public void init() {
        String given = getParameter("label");
        if (given != null) {
            label = given;
        }
    }

    public int add(int a, int b) {
        return a + b;
    }

    public long big() {
        return 50L;
    }

    public short small() {
        return 12;
    }

    public byte tiny() {
        return 3;
    }

    public float ratioF() {
        return 0.5f;
    }

    public double half(double d) {
        return d / 2;
    }

    public boolean not(boolean b) {
        return !b;
    }

    public char initial(String s) {
        return s.charAt(0);
    }

    public String greet(String name) {
        return "hello " + name;
    }

    public void touch() {
        count++;
    }

    public String describe() {
        return "describe()";
    }

    public String describe(String s) {
        return "describe(String " + s + ")";
    }

    public String describe(String s, int n) {
        return "describe(String " + s + ", int " + n + ")";
    }

    public String widenLong(long l) {
        return "long " + l;
    }

    public String widenDouble(double d) {
        return "double " + d;
    }

    public String param(String name) {
        return getParameter(name);
    }

    // Not "codeBase": the APPLET element's own property of that name comes first for the page's scripts.
    public String appletCodeBase() {
        return String.valueOf(getCodeBase());
    }

    public String docBase() {
        return String.valueOf(getDocumentBase());
    }

    public void go(String url, String target) throws Exception {
        getAppletContext().showDocument(new URL(getDocumentBase(), url), target);
    }

    public Object callPage(String fn, String arg) {
        return JSObject.getWindow(this).call(fn, arg);
    }

    public Object evalPage(String code) {
        return JSObject.getWindow(this).eval(code);
    }

    public Object readMember(String name) {
        return JSObject.getWindow(this).getMember(name);
    }

    public void writeMember(String name, String value) {
        JSObject.getWindow(this).setMember(name, value);
    }

    public String documentTitle() {
        JSObject document = (JSObject) JSObject.getWindow(this).getMember("document");
        return String.valueOf(document.getMember("title"));
    }

    /** Returns once the thread waits for its page call, so that the caller can then run the queued call. */
    public void startCallbackThread(String fn) throws InterruptedException {
        try {
            // Asked here first so that the thread's only wait is the one for its own call.
            JSObject.getWindow(this);
        } catch (RuntimeException e) {
            label = "no window: " + e.getMessage();
        }
        caller = new Thread(() -> {
            try {
                JSObject.getWindow(this).call(fn, "from thread");
            } catch (RuntimeException e) {
                label = "callback failed: " + e.getMessage();
            }
        }, "kxw-callback");
        caller.start();
        long deadline = System.currentTimeMillis() + 5000;
        while (System.currentTimeMillis() < deadline) {
            Thread.State state = caller.getState();
            if (state == Thread.State.WAITING || state == Thread.State.TIMED_WAITING
                || state == Thread.State.TERMINATED) {
                return;
            }
            Thread.sleep(1);
        }
    }

    // Whether the callback thread has ended (waiting for it up to 5 s): its call ran, and it will not be stopped.
    public boolean callbackThreadEnded() throws InterruptedException {
        if (caller == null) return false;
        caller.join(5000);
        return !caller.isAlive();
    }

    // The Java heap in use after a collection, in KB: what a long run's iterations leave behind.
    public long heapUsedKb() {
        Runtime runtime = Runtime.getRuntime();
        runtime.gc();
        return (runtime.totalMemory() - runtime.freeMemory()) / 1024;
    }

    // Loops until the bridge ends the call.
    public int spinForever() {
        long n = 0;
        while (true) {
            n++;
            if (n == Long.MAX_VALUE) return 1;
        }
    }

    // Starts n threads that sleep until they are stopped; how many could be started.
    public int startManyThreads(int n) {
        int started = 0;
        try {
            for (int i = 0; i < n; i++) {
                Thread sleeper = new Thread(() -> {
                    try {
                        Thread.sleep(600000);
                    } catch (InterruptedException e) {
                        // stopped
                    }
                }, "kxw-sleeper-" + i);
                sleepers.add(sleeper);
                sleeper.start();
                started++;
            }
        } catch (SecurityException e) {
            label = "refused: " + e.getMessage();
        }
        return started;
    }

    // Ends the threads startManyThreads started; how many have ended.
    public int endSleepers() throws InterruptedException {
        for (Thread sleeper : sleepers) sleeper.interrupt();
        int ended = 0;
        for (Thread sleeper : sleepers) {
            sleeper.join(5000);
            if (!sleeper.isAlive()) ended++;
        }
        sleepers.clear();
        return ended;
    }

    public void fail() {
        throw new IllegalStateException("applet failed on purpose");
    }

    public int npeLoop() {
        int caught = 0;
        for (int i = 0; i < 200000; i++) {
            try {
                nothing.hashCode();
            } catch (NullPointerException e) {
                caught++;
            }
        }
        return caught;
    }

    public String readFile(String path) {
        try (InputStream in = new FileInputStream(path)) {
            return "read " + in.read();
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String writeFile(String path) {
        try (FileOutputStream out = new FileOutputStream(path)) {
            out.write('x');
            return "wrote " + path;
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String connect(String host, int port) {
        try (Socket s = new Socket(host, port)) {
            return "connected to " + s.getRemoteSocketAddress();
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String openUrl(String url) {
        try (InputStream in = new URL(url).openStream()) {
            return "opened " + url + ", first byte " + in.read();
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String exitVm() {
        try {
            System.exit(3);
            return "exited";
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String exec(String command) {
        try {
            Runtime.getRuntime().exec(command).waitFor();
            return "ran " + command;
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String property(String name) {
        try {
            return System.getProperty(name);
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String replaceSecurityManager() {
        try {
            System.setSecurityManager(null);
            return "security manager removed";
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String replacePolicy() {
        try {
            java.security.Policy.setPolicy(null);
            return "policy replaced";
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String reflectPrivate() {
        try {
            Field f = String.class.getDeclaredField("value");
            f.setAccessible(true);
            return "reached String.value";
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String findClass(String name) {
        try {
            return "found " + Class.forName(name).getName();
        } catch (Throwable e) {
            return denied(e);
        }
    }

    public String resource(String name) {
        try (InputStream in = getClass().getResourceAsStream(name)) {
            return in == null ? "no resource " + name : new String(in.readAllBytes(), StandardCharsets.UTF_8).trim();
        } catch (Exception e) {
            return denied(e);
        }
    }

    public String touchOwnerThread() {
        try {
            Thread.currentThread().setName("renamed by applet");
            return "renamed";
        } catch (Exception e) {
            return denied(e);
        }
    }

    /** A thread that shrugs off interrupts: only a hard stop ends it. */
    public void startSpinner() {
        spinner = new Thread(() -> {
            while (true) {
                try {
                    Thread.sleep(10);
                } catch (InterruptedException e) {
                    // keeps spinning on purpose
                }
            }
        }, "kxw-spinner");
        spinner.start();
    }

    public boolean spinnerAlive() {
        Thread t = spinner;
        return t != null && t.isAlive();
    }

    public String spinnerGroup() {
        Thread t = spinner;
        return t == null ? null : String.valueOf(t.getThreadGroup().getName());
    }

    private static String denied(Throwable e) {
        return "denied: " + e;
    }
}
