import java.applet.Applet;
import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.IOException;
import java.io.OutputStream;
import java.io.PrintStream;
import java.net.ServerSocket;
import java.net.URL;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.atomic.AtomicReference;
import java.util.zip.ZipEntry;
import java.util.zip.ZipOutputStream;
import netscape.javascript.JSException;
import netscape.javascript.JSObject;

/**
 * The bridge in a VM started with the library's options but without the library: natives are not bound, so the
 * checks stay on the paths that need no page, and see the unbound ones fail cleanly.
 *
 * Usage: KxwBridgeCheck DIR (the folder with kxwtest.jar, the kxwsplit pair and KxwPlainApplet.class).
 */
@SuppressWarnings("removal")
public final class KxwBridgeCheck {
    private static final StringBuffer LOG = new StringBuffer();
    private static final List<String> FAILURES = new ArrayList<>();
    private static int checks;
    private static Path dir;

    public static void main(String[] args) throws Exception {
        dir = Path.of(args[0]);
        PrintStream err = System.err;
        // The bridge logs to standard error when its natives are not bound; keep a copy to check.
        System.setErr(new PrintStream(new Tee(err), true));

        headlessApplet();
        VokVuserMgr.GlobalInit(false, false, 500);
        check(System.getSecurityManager() instanceof VokAppletSecurityManager,
              "GlobalInit installs the security manager");
        windowProvider();
        VokVuserMgr user = new VokVuserMgr();
        archives(user);
        VokAppletMgr applet = startedTestApplet(user, 1);
        returnTypes(applet);
        calls(applet);
        fields(applet);
        overloadChoice();
        refusals(applet);
        foreignCalls(user, applet);
        threads(user, applet);
        otherApplets(user);
        unload(user);
        globalEnd();

        System.out.println(checks + " checks, " + FAILURES.size() + " failed");
        for (String failure : FAILURES) {
            System.out.println("FAILED: " + failure);
        }
        System.exit(FAILURES.isEmpty() ? 0 : 1);
    }

    private static void headlessApplet() {
        check(java.awt.GraphicsEnvironment.isHeadless(), "the VM is headless");
        check(new java.awt.Panel() != null, "a Panel constructs headless");
        Applet plain = new Applet();
        check(!plain.isActive() && plain.getParameter("x") == null && plain.getCodeBase() == null,
              "an Applet without a stub constructs headless and answers neutrally");
        expectJSException(() -> JSObject.getWindow(plain), "does not run in a page", "getWindow before GlobalInit");
    }

    private static void windowProvider() {
        try {
            Impostor.install();
            fail("a second window provider was accepted");
        } catch (SecurityException e) {
            pass();
        }
        expectJSException(() -> JSObject.getWindow(new Applet()), "not started",
                          "getWindow of an applet no page holds");
        expectJSException(() -> JSObject.getWindow(null), "not started", "getWindow of null");
    }

    private static void archives(VokVuserMgr user) throws Exception {
        VokAppletMgr mgr = new VokAppletMgr(user, 100);
        String url = "http://127.0.0.1/kxwtest.jar";
        checkEquals("loaded 1 classes and 2 resources from " + url, mgr.LoadJarArchive(url, read("kxwtest.jar")),
                    "the test archive (manifest and text file as resources)");
        checkStarts("failed:", mgr.LoadJarArchive("http://x/none.jar", new byte[] {1, 2, 3, 4, 5}), "not a jar");
        byte[] jar = read("kxwtest.jar");
        byte[] cut = java.util.Arrays.copyOf(jar, jar.length / 2);
        checkStarts("failed:", new VokAppletMgr(user, 101).LoadJarArchive("http://x/cut.jar", cut), "a cut jar");
        checkStarts("failed:", mgr.LoadJarArchive("http://x/null.jar", null), "no bytes");
        checkContains("more than 10000 entries", mgr.LoadJarArchive("http://x/many.jar", manyEntries(10001)),
                      "a jar of too many entries");
        checkContains("more than 64 MiB", mgr.LoadJarArchive("http://x/bomb.jar", zeros(65 << 20)),
                      "a jar that unpacks beyond 64 MiB");
        checkStarts("loaded", mgr.LoadJarArchive("http://x/ok.jar", zeros(1 << 20)), "a 1 MiB entry is fine");

        VokAppletMgr plain = new VokAppletMgr(user, 102);
        byte[] bytes = read("KxwPlainApplet.class");
        checkEquals("loaded class KxwPlainApplet", plain.LoadExtraClass(bytes), "a bare class file");
        checkStarts("failed:", plain.LoadExtraClass(bytes), "the same class twice");
        checkStarts("failed:", plain.LoadExtraClass(new byte[] {(byte) 0xCA, (byte) 0xFE}), "a cut class file");
        checkEquals("started KxwPlainApplet", plain.Start("KxwPlainApplet.class"), "start from a bare class");
        checkEquals("42", plain.CallAppletMethod("answer", new Object[0]), "answer()");
        checkEquals("stopped KxwPlainApplet", plain.Stop(), "stop");
        checkEquals("not started", plain.Stop(), "stop twice");

        VokAppletMgr split = new VokAppletMgr(user, 103);
        split.LoadJarArchive("http://x/kxwsplit-a.jar", read("kxwsplit-a.jar"));
        checkEquals("started KxwSplitApplet", split.Start("KxwSplitApplet"), "the split applet starts from archive a");
        int mark = LOG.length();
        checkEquals(null, split.CallAppletMethod("helper", new Object[0]), "helper() without archive b");
        checkContains("NoClassDefFoundError", logSince(mark), "the missing helper is logged");
        split.Stop();
        VokAppletMgr pair = new VokAppletMgr(user, 104);
        pair.LoadJarArchive("http://x/kxwsplit-a.jar", read("kxwsplit-a.jar"));
        pair.LoadJarArchive("http://x/kxwsplit-b.jar", read("kxwsplit-b.jar"));
        checkEquals("started KxwSplitApplet", pair.Start("KxwSplitApplet"), "the split applet with both archives");
        checkEquals("helper from kxwsplit-b", pair.CallAppletMethod("helper", new Object[0]), "helper() from b");
        checkEquals("failed: KxwSplitApplet is already started", pair.Start("KxwSplitHelper"), "already started");
        pair.Stop();
        checkEquals("failed: KxwSplitHelper does not extend java.applet.Applet", pair.Start("KxwSplitHelper"),
                    "a class that is no applet");

        mark = LOG.length();
        checkEquals("failed: class NoSuchApplet not found", mgr.Start("NoSuchApplet"), "a missing class");
        checkEquals("failed: class NoSuchApplet not found", mgr.Start("pkg/NoSuchApplet.class".substring(4)),
                    "a missing class named as a file");
        checkEquals(1, count(logSince(mark), "download of class NoSuchApplet"), "a missing class is asked for once");
        checkStarts("failed:", mgr.Start("../etc/passwd"), "a code attribute that is no class name");
        checkStarts("failed:", mgr.Start(null), "no code attribute");
    }

    private static VokAppletMgr startedTestApplet(VokVuserMgr user, long handle) throws IOException {
        VokAppletMgr mgr = new VokAppletMgr(user, handle);
        mgr.LoadJarArchive("http://127.0.0.1/kxwtest.jar", read("kxwtest.jar"));
        checkEquals("started KxwTestApplet", mgr.Start("KxwTestApplet.class"), "the test applet starts");
        return mgr;
    }

    private static void returnTypes(VokAppletMgr a) {
        String[][] expected = {
            {"add", "int()"}, {"big", "long()"}, {"small", "short()"}, {"tiny", "byte()"}, {"ratioF", "float()"},
            {"touch", "void()"}, {"greet", "java.lang.String()"}, {"describe", "java.lang.String()"},
            {"initial", "char()"}, {"callPage", "java.lang.Object()"}, {"getParameter", "java.lang.String()"},
            {"count", "int"}, {"label", "java.lang.String"}, {"total", "long"}, {"ratio", "double"},
            {"flag", "boolean"}, {"nothing", "none"}, {"spinner", "none"}, {"noSuchName", "none"}, {null, "none"},
        };
        for (String[] e : expected) {
            checkEquals(e[1], a.GetMethodOrFieldReturnType(e[0]), "return type word of " + e[0]);
        }
        checkEquals("none", new VokAppletMgr(VokVuserMgr.forOwnerThread(), 9).GetMethodOrFieldReturnType("add"),
                    "nothing started");
    }

    private static void calls(VokAppletMgr a) {
        Object[][] expected = {
            {"5", "add", 2, 3}, {"5", "add", 2.0, 3}, {null, "add", 2.5, 3}, {null, "add", "2", 3}, {"50", "big"},
            {"12", "small"}, {"3", "tiny"}, {"0.5", "ratioF"}, {"1.5", "half", 3}, {"1.25", "half", 2.5},
            {"false", "not", true}, {null, "not", 1}, {"B", "initial", "Bob"}, {"hello Ann", "greet", "Ann"},
            {"hello null", "greet", null}, {"describe()", "describe"}, {"describe(String x)", "describe", "x"},
            {"describe(String x, int 2)", "describe", "x", 2}, {null, "describe", "x", "y"},
            {"long 7", "widenLong", 7}, {"double 7.0", "widenDouble", 7}, {"200000", "npeLoop"},
            {null, "touch"}, {null, "param", "label"},
        };
        // The members' checks are not about the time limit (npeLoop takes a while on a loaded machine).
        int limitMs = VokVuserMgr.foreignCallTimeoutMs;
        VokVuserMgr.foreignCallTimeoutMs = 60000;
        for (Object[] e : expected) {
            Object[] args = java.util.Arrays.copyOfRange(e, 2, e.length);
            checkEquals(e[0], a.CallAppletMethod((String) e[1], args),
                        e[1] + java.util.Arrays.toString(args));
        }
        VokVuserMgr.foreignCallTimeoutMs = limitMs;
        long spinStart = System.nanoTime();
        checkEquals(null, a.CallAppletMethod("spinForever", new Object[0]), "a call that never returns gives null");
        long spinMs = (System.nanoTime() - spinStart) / 1000000;
        check(spinMs >= limitMs - 50 && spinMs < 10000, "it is ended at the limit (took " + spinMs + " ms)");
        checkEquals("5", a.CallAppletMethod("add", new Object[] {2, 3}), "the owner calls on after it");
        checkEquals("describe()", a.CallAppletMethod("describe", null), "a null argument array is no arguments");
        a.CallAppletMethod("touch", new Object[0]);
        checkEquals("2", a.GetAppletProperty("count"), "touch() twice counts 2");

        int mark = LOG.length();
        checkEquals(null, a.CallAppletMethod("fail", new Object[0]), "fail() gives null");
        String log = logSince(mark);
        checkContains("java.lang.IllegalStateException: applet failed on purpose", log, "fail() is logged");
        checkContains("KxwTestApplet.fail(KxwTestApplet.java:", log, "with its frames");
        mark = LOG.length();
        checkEquals(null, a.CallAppletMethod("unknown", new Object[] {"x"}), "an unknown method");
        checkContains("no method unknown taking 1 argument(s)", logSince(mark), "is logged");
        mark = LOG.length();
        a.CallAppletMethod("add", new Object[] {1});
        checkContains("no method add taking 1 argument(s)", logSince(mark), "a wrong arity is logged");
    }

    private static void fields(VokAppletMgr a) {
        check(a.SetAppletProperty("count", 5), "set count");
        checkEquals("5", a.GetAppletProperty("count"), "get count");
        check(a.SetAppletProperty("label", "L"), "set label");
        checkEquals("L", a.GetAppletProperty("label"), "get label");
        check(a.SetAppletProperty("label", null), "set label to null");
        checkEquals(null, a.GetAppletProperty("label"), "a null label reads null");
        check(a.SetAppletProperty("flag", Boolean.TRUE), "set flag");
        checkEquals("true", a.GetAppletProperty("flag"), "get flag");
        check(a.SetAppletProperty("ratio", 2), "an int into a double field");
        checkEquals("2.0", a.GetAppletProperty("ratio"), "get ratio");
        check(a.SetAppletProperty("total", 9), "an int into a long field");
        checkEquals("9", a.GetAppletProperty("total"), "get total");
        check(!a.SetAppletProperty("count", "x"), "a string into an int field is refused");
        check(!a.SetAppletProperty("count", 1.5), "a fraction into an int field is refused");
        check(!a.SetAppletProperty("fixed", 1), "a final field is refused");
        checkEquals("7", a.GetAppletProperty("fixed"), "the final field is unchanged");
        check(!a.SetAppletProperty("nothing", 1), "a private field is refused");
        checkEquals(null, a.GetAppletProperty("nothing"), "a private field is not read");
    }

    /** Which overload a page's values pick, on a class of our own. */
    private static void overloadChoice() {
        VokMemberAccess m = new VokMemberAccess(Overloads.class);
        checkEquals("f(int)", chosen(m, "f", 1), "an Integer picks int over long, Integer and Object");
        checkEquals("g(long)", chosen(m, "g", 1), "widening wins over boxing");
        checkEquals("h(java.lang.String)", chosen(m, "h", (Object) null), "null picks the most specific type");
        checkEquals("h(java.lang.String)", chosen(m, "h", "s"), "a String picks String over Object");
        checkEquals("h(java.lang.Object)", chosen(m, "h", 1), "an Integer falls back to Object");
        checkEquals("c(char)", chosen(m, "c", "x"), "a one-char string becomes a char");
        checkEquals(null, chosen(m, "c", "xy"), "a longer string does not");
        checkEquals("b(byte)", chosen(m, "b", 100), "an int that fits a byte");
        checkEquals(null, chosen(m, "b", 300), "an int that does not fit a byte");
        checkEquals("d(double)", chosen(m, "d", 1.5), "a Double picks double over float");
        checkEquals("j(netscape.javascript.JSObject)", chosen(m, "j", new VokJSObject(null, 0)),
                    "a page object picks JSObject over Object");
    }

    private static String chosen(VokMemberAccess m, String name, Object... args) {
        VokMemberAccess.Choice c = m.chooseMethod(name, args);
        if (c == null) {
            return null;
        }
        String s = c.method.toString();
        return s.substring(s.lastIndexOf('.', s.indexOf('(')) + 1);
    }

    private static void refusals(VokAppletMgr a) throws Exception {
        File target = File.createTempFile("kxw-applet", ".txt");
        target.delete();
        checkStarts("denied: java.security.AccessControlException", call(a, "readFile", "/etc/hostname"),
                    "read a file");
        checkStarts("denied:", call(a, "writeFile", target.getPath()), "write a file");
        check(!target.exists(), "the file was not written");
        try (ServerSocket server = new ServerSocket(0, 1, java.net.InetAddress.getLoopbackAddress())) {
            int port = server.getLocalPort();
            checkStarts("denied:", call(a, "connect", "127.0.0.1", port), "open a socket");
            checkStarts("denied:", call(a, "openUrl", "http://127.0.0.1:" + port + "/"), "open a URL connection");
        }
        checkStarts("denied:", call(a, "exitVm"), "exit the VM");
        checkStarts("denied:", call(a, "exec", "true"), "start a process");
        checkStarts("denied:", call(a, "replaceSecurityManager"), "remove the security manager");
        check(System.getSecurityManager() instanceof VokAppletSecurityManager, "the security manager stays");
        checkStarts("denied:", call(a, "replacePolicy"), "replace the policy");
        checkStarts("denied:", call(a, "reflectPrivate"), "reflect into a private member");
        checkStarts("denied:", call(a, "findClass", "VokAppletMgr"), "see the bridge's classes");
        checkEquals("found java.util.ArrayList", call(a, "findClass", "java.util.ArrayList"), "see the JDK");
        checkEquals("resource of the test applet", call(a, "resource", "/kxwtest.txt"), "read its own resource");
        checkEquals("no resource /other.txt", call(a, "resource", "/other.txt"), "a resource it does not have");
        String ownerName = Thread.currentThread().getName();
        checkStarts("denied:", call(a, "touchOwnerThread"), "rename a thread that is not its own");
        checkEquals(ownerName, Thread.currentThread().getName(), "the owner thread keeps its name");
        for (String name : VokAppletPolicy.readableProperties()) {
            checkEquals(System.getProperty(name), call(a, "property", name), "read property " + name);
        }
        for (String name : new String[] {"user.home", "user.name", "user.dir", "java.home", "java.class.path"}) {
            checkStarts("denied:", call(a, "property", name), "read property " + name);
        }
        java.security.ProtectionDomain domain = a.applet().getClass().getProtectionDomain();
        check(!domain.getPermissions().elements().hasMoreElements(), "the applet's classes hold no permissions");
        checkEquals(new URL("http://127.0.0.1/kxwtest.jar"), domain.getCodeSource().getLocation(),
                    "the applet's code source is its archive");
    }

    private static void foreignCalls(VokVuserMgr user, VokAppletMgr a) throws Exception {
        AtomicReference<Object> got = new AtomicReference<>();
        Thread asker = new Thread(() -> got.set(user.callOnOwner("probe", () -> 7)), "kxw-asker");
        asker.start();
        waitUntilWaiting(asker);
        check(user.DispatchAwaitingMethodInvocations(), "the owner runs a queued call");
        asker.join(2000);
        checkEquals(7, got.get(), "the queued call's result reaches its thread");

        Thread late = new Thread(() -> {
            try {
                user.callOnOwner("late probe", () -> 8);
                got.set("no timeout");
            } catch (JSException e) {
                got.set(e.getMessage());
            }
        }, "kxw-late");
        long began = System.nanoTime();
        late.start();
        late.join(5000);
        long tookMs = (System.nanoTime() - began) / 1000000;
        checkContains("timed out", String.valueOf(got.get()), "a call nobody dispatches times out");
        check(tookMs >= 450 && tookMs < 3000, "after the GlobalInit timeout (took " + tookMs + " ms)");
        check(!user.DispatchAwaitingMethodInvocations(), "a call its thread gave up is not run");

        java.util.concurrent.atomic.AtomicInteger posted = new java.util.concurrent.atomic.AtomicInteger();
        int mark = LOG.length();
        Thread flood = new Thread(() -> {
            for (int i = 0; i < 10001; i++) {
                user.postToOwner("flood", posted::incrementAndGet);
            }
        });
        flood.start();
        flood.join(5000);
        checkContains("flood dropped: too many calls wait", logSince(mark), "a flooded queue refuses the excess");
        check(user.DispatchAwaitingMethodInvocations(), "the owner runs the queued posts");
        checkEquals(10000, posted.get(), "all the posts the queue took");

        AtomicReference<Boolean> ran = new AtomicReference<>();
        Thread other = new Thread(() -> ran.set(user.DispatchAwaitingMethodInvocations()));
        other.start();
        other.join(2000);
        checkEquals(Boolean.FALSE, ran.get(), "only the owner dispatches");

        // An applet thread's page call goes through the queue; unbound natives fail it cleanly.
        checkEquals(null, call(a, "startCallbackThread", "f"), "start the callback thread");
        check(user.DispatchAwaitingMethodInvocations(), "its queued call runs on the owner");
        for (Thread t : a.runningThreads()) {
            t.join(2000);
        }
        checkContains("callback failed", a.GetAppletProperty("label"), "the thread gets a JSException");
        expectJSException(() -> new VokJSObject(null, 5).call("f"), "no virtual user", "a page object without user");
    }

    private static void threads(VokVuserMgr user, VokAppletMgr a) throws Exception {
        call(a, "startSpinner");
        checkEquals("true", call(a, "spinnerAlive"), "the spinner runs");
        checkEquals(a.threadGroup().getName(), call(a, "spinnerGroup"), "in the applet's thread group");
        int mark = LOG.length();
        user.StopAppletThreads();
        checkEquals("false", call(a, "spinnerAlive"), "StopAppletThreads ends a thread that ignores interrupts");
        checkContains("applet thread \"kxw-spinner\" stopped", logSince(mark), "and logs it");
        checkEquals("KxwTestApplet", a.applet().getClass().getName(), "the applet itself stays");
        call(a, "startSpinner");
        checkEquals("stopped KxwTestApplet", a.Stop(), "Stop");
        check(a.runningThreads().isEmpty(), "Stop ends the applet's threads");
    }

    private static void otherApplets(VokVuserMgr user) throws IOException {
        VokVuserMgr.GlobalInit(true, true, 500);
        int mark = LOG.length();
        VokAppletMgr a = startedTestApplet(user, 2);
        checkEquals("7", call(a, "add", 3, 4), "a second applet of the same archive");
        String log = logSince(mark);
        checkContains("defined class KxwTestApplet from http://127.0.0.1/kxwtest.jar", log, "class loading is traced");
        checkContains("applet call public int KxwTestApplet.add(int,int) with [3, 4] gave 7", log, "calls are traced");
        VokVuserMgr.GlobalInit(false, false, 500);
        check(System.getSecurityManager() instanceof VokAppletSecurityManager, "a second GlobalInit keeps the rest");
        mark = LOG.length();
        checkEquals(null, call(a, "go", "http://127.0.0.1/next.html", "_top"), "showDocument");
        checkContains("showDocument http://127.0.0.1/next.html failed: the native side is not bound", logSince(mark),
                      "reaches the (unbound) native");
        a.Stop();
    }

    private static void unload(VokVuserMgr user) throws Exception {
        VokAppletMgr a = startedTestApplet(user, 3);
        call(a, "startSpinner");
        List<Thread> running = a.runningThreads();
        user.UnloadClasses();
        check(running.stream().noneMatch(Thread::isAlive), "UnloadClasses ends the threads");
        checkEquals("none", a.GetMethodOrFieldReturnType("add"), "and the applet");
        checkEquals("failed: class KxwTestApplet not found", a.Start("KxwTestApplet"), "and its classes");
        check(user.applets().isEmpty(), "the user forgets its applets");
        a.LoadJarArchive("http://127.0.0.1/kxwtest.jar", read("kxwtest.jar"));
        checkEquals("started KxwTestApplet", a.Start("KxwTestApplet"), "an element kept across the reset starts again");
        check(VokVuserMgr.findStartedApplet(a.applet()) == a, "and its user finds it again");
        a.Stop();
    }

    private static void globalEnd() throws IOException {
        VokAppletMgr a = startedTestApplet(new VokVuserMgr(), 4);
        call(a, "startSpinner");
        List<Thread> running = a.runningThreads();
        check(!running.isEmpty(), "a spinner before GlobalEnd");
        VokVuserMgr.GlobalEnd();
        check(running.stream().noneMatch(Thread::isAlive), "GlobalEnd stops every applet's threads");
        checkEquals(null, a.applet(), "GlobalEnd stops the applets");
    }

    // --- helpers

    private static String call(VokAppletMgr a, String name, Object... args) {
        return a.CallAppletMethod(name, args);
    }

    private static void waitUntilWaiting(Thread t) throws InterruptedException {
        for (int i = 0; i < 500; i++) {
            Thread.State s = t.getState();
            if (s == Thread.State.WAITING || s == Thread.State.TIMED_WAITING) {
                return;
            }
            Thread.sleep(10);
        }
    }

    private static byte[] read(String name) throws IOException {
        return Files.readAllBytes(dir.resolve(name));
    }

    private static byte[] manyEntries(int n) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        try (ZipOutputStream zip = new ZipOutputStream(out)) {
            for (int i = 0; i < n; i++) {
                zip.putNextEntry(new ZipEntry("e" + i));
                zip.closeEntry();
            }
        }
        return out.toByteArray();
    }

    private static byte[] zeros(int size) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        try (ZipOutputStream zip = new ZipOutputStream(out)) {
            zip.putNextEntry(new ZipEntry("zeros.bin"));
            byte[] block = new byte[1 << 16];
            for (int written = 0; written < size; written += block.length) {
                zip.write(block);
            }
            zip.closeEntry();
        }
        return out.toByteArray();
    }

    private static String logSince(int mark) {
        return LOG.substring(mark);
    }

    private static int count(String text, String part) {
        int n = 0;
        for (int i = text.indexOf(part); i >= 0; i = text.indexOf(part, i + 1)) {
            n++;
        }
        return n;
    }

    private static void expectJSException(Runnable r, String part, String what) {
        try {
            r.run();
            fail(what + ": no JSException");
        } catch (JSException e) {
            checkContains(part, e.getMessage(), what);
        }
    }

    private static void check(boolean ok, String what) {
        if (ok) {
            pass();
        } else {
            fail(what);
        }
    }

    private static void checkEquals(Object expected, Object actual, String what) {
        check(java.util.Objects.equals(expected, actual), what + ": expected <" + expected + "> got <" + actual + ">");
    }

    private static void checkStarts(String prefix, String actual, String what) {
        check(actual != null && actual.startsWith(prefix),
              what + ": expected <" + prefix + "...> got <" + actual + ">");
    }

    private static void checkContains(String part, String actual, String what) {
        check(actual != null && actual.contains(part), what + ": expected <..." + part + "...> in <" + actual + ">");
    }

    private static void pass() {
        checks++;
    }

    private static void fail(String what) {
        checks++;
        FAILURES.add(what);
    }

    /** Tries to replace the page window provider, as an applet might. */
    private static final class Impostor extends JSObject {
        static void install() {
            installWindowProvider(applet -> null);
        }

        @Override
        public Object call(String methodName, Object... args) {
            return null;
        }

        @Override
        public Object eval(String s) {
            return null;
        }

        @Override
        public Object getMember(String name) {
            return null;
        }

        @Override
        public void setMember(String name, Object value) {
        }

        @Override
        public void removeMember(String name) {
        }

        @Override
        public Object getSlot(int index) {
            return null;
        }

        @Override
        public void setSlot(int index, Object value) {
        }
    }

    /** Overloads whose choice the page's values decide. */
    public static final class Overloads {
        public void f(int x) {
        }

        public void f(long x) {
        }

        public void f(Integer x) {
        }

        public void f(Object x) {
        }

        public void g(long x) {
        }

        public void g(Integer x) {
        }

        public void h(String x) {
        }

        public void h(Object x) {
        }

        public void c(char x) {
        }

        public void b(byte x) {
        }

        public void d(float x) {
        }

        public void d(double x) {
        }

        public void j(Object x) {
        }

        public void j(JSObject x) {
        }
    }

    private static final class Tee extends OutputStream {
        private final PrintStream out;

        Tee(PrintStream out) {
            this.out = out;
        }

        @Override
        public void write(int b) {
            out.write(b);
            LOG.append((char) b);
        }

        @Override
        public void write(byte[] b, int off, int len) {
            out.write(b, off, len);
            LOG.append(new String(b, off, len, java.nio.charset.StandardCharsets.UTF_8));
        }
    }
}
