import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.DataInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.MalformedURLException;
import java.net.URL;
import java.net.URLConnection;
import java.net.URLStreamHandler;
import java.security.AccessController;
import java.security.CodeSigner;
import java.security.CodeSource;
import java.security.Permissions;
import java.security.PrivilegedAction;
import java.security.ProtectionDomain;
import java.util.Collections;
import java.util.Enumeration;
import java.util.HashMap;
import java.util.Map;
import java.util.Set;
import java.util.concurrent.ConcurrentHashMap;
import java.util.zip.ZipEntry;
import java.util.zip.ZipInputStream;

/**
 * The classes and resources of one applet, read from archives held in memory.
 *
 * Its parent is the platform loader: applets see the JDK, java.applet and netscape.javascript, not the bridge.
 * Its classes get no permissions of their own.
 */
@SuppressWarnings("removal")
final class JarClassLoader extends ClassLoader {
    static final int MAX_ENTRIES = 10000;
    static final long MAX_UNCOMPRESSED_BYTES = 64L << 20;
    private static final String RESOURCE_PROTOCOL = "kxwapplet";
    private static final String[] NEVER_DOWNLOADED = {"java.", "javax.", "jdk.", "sun.", "netscape."};

    static {
        // Per-name locks: a thread waiting for a class from the page must not block the owner's own loading.
        registerAsParallelCapable();
    }

    private final VokAppletMgr applet;
    private final Map<String, ClassBytes> classes = new ConcurrentHashMap<>();
    private final Map<String, byte[]> resources = new ConcurrentHashMap<>();
    private final Set<String> requested = ConcurrentHashMap.newKeySet();
    private final Map<URL, ProtectionDomain> domains = new ConcurrentHashMap<>();
    private final ProtectionDomain unlocatedDomain;
    private final URLStreamHandler resourceHandler = new ResourceHandler();

    private static final class ClassBytes {
        final byte[] bytes;
        final URL source;

        ClassBytes(byte[] bytes, URL source) {
            this.bytes = bytes;
            this.source = source;
        }
    }

    JarClassLoader(VokAppletMgr applet) {
        super("applet", ClassLoader.getPlatformClassLoader());
        this.applet = applet;
        unlocatedDomain = makeDomain(null);
    }

    private native void DownloadExtraClass(long h, String className);

    VokAppletMgr applet() {
        return applet;
    }

    /** Reads a jar held in memory; nothing of a broken or oversized archive is kept. */
    String loadArchive(String url, byte[] bytes) {
        if (bytes == null) {
            return "failed: no bytes for " + url;
        }
        URL source = parseUrl(url);
        Map<String, ClassBytes> foundClasses = new HashMap<>();
        Map<String, byte[]> foundResources = new HashMap<>();
        int entries = 0;
        long total = 0;
        byte[] buffer = new byte[8192];
        // ZipInputStream rather than JarInputStream: the latter reads a whole manifest before any size is checked.
        try (ZipInputStream zip = new ZipInputStream(new ByteArrayInputStream(bytes))) {
            ZipEntry entry;
            while ((entry = zip.getNextEntry()) != null) {
                if (++entries > MAX_ENTRIES) {
                    return "failed: " + url + " holds more than " + MAX_ENTRIES + " entries";
                }
                if (entry.isDirectory()) {
                    continue;
                }
                ByteArrayOutputStream out = new ByteArrayOutputStream();
                int n;
                while ((n = zip.read(buffer)) > 0) {
                    total += n;
                    if (total > MAX_UNCOMPRESSED_BYTES) {
                        return "failed: " + url + " holds more than 64 MiB uncompressed";
                    }
                    out.write(buffer, 0, n);
                }
                String name = entry.getName();
                String className = classNameOfEntry(name);
                if (className != null) {
                    foundClasses.putIfAbsent(className, new ClassBytes(out.toByteArray(), source));
                } else {
                    foundResources.putIfAbsent(name, out.toByteArray());
                }
            }
        } catch (IOException | RuntimeException e) {
            return "failed: " + url + " is a broken archive (" + VokAppletMgr.describe(e) + ")";
        }
        if (entries == 0) {
            return "failed: " + url + " is not a jar archive";
        }
        // An archive listed earlier wins, as on a class path.
        foundClasses.forEach(classes::putIfAbsent);
        foundResources.forEach(resources::putIfAbsent);
        return "loaded " + foundClasses.size() + " classes and " + foundResources.size() + " resources from " + url;
    }

    /** One class file's bytes, delivered on their own (a class the page fetched for this applet). */
    String addClass(byte[] bytes) {
        String name;
        try {
            name = classNameOfClassFile(bytes);
        } catch (IOException | RuntimeException e) {
            return "failed: not a class file (" + VokAppletMgr.describe(e) + ")";
        }
        if (findLoadedClass(name) != null || classes.putIfAbsent(name, new ClassBytes(bytes.clone(), null)) != null) {
            return "failed: class " + name + " is already loaded";
        }
        return "loaded class " + name;
    }

    @Override
    protected Class<?> findClass(String name) throws ClassNotFoundException {
        ClassBytes found = classes.get(name);
        if (found == null && mayDownload(name) && requested.add(name)) {
            download(name);
            found = classes.get(name);
        }
        if (found == null) {
            throw new ClassNotFoundException(name);
        }
        Class<?> defined = findLoadedClass(name);
        if (defined != null) {
            return defined;
        }
        try {
            ProtectionDomain domain = found.source == null ? unlocatedDomain
                                                           : domains.computeIfAbsent(found.source, this::makeDomain);
            defined = defineClass(name, found.bytes, 0, found.bytes.length, domain);
        } catch (LinkageError e) {
            String reason = VokAppletMgr.describe(e);
            applet.user().log(VokVuserMgr.LOG_ERRORS, "class " + name + " cannot be defined: " + reason);
            throw new ClassNotFoundException(name, e);
        }
        classes.remove(name);
        if (VokVuserMgr.traceClassLoading) {
            Object from = found.source == null ? "a single class file" : found.source;
            applet.user().log(VokVuserMgr.LOG_INFO, "defined class " + name + " from " + from);
        }
        return defined;
    }

    private void download(String name) {
        try {
            applet.user().callOnOwner("download of class " + name, () -> {
                DownloadExtraClass(applet.handle(), name);
                return null;
            });
        } catch (RuntimeException e) {
            applet.user().log(VokVuserMgr.LOG_DETAILED, e.getMessage());
        }
    }

    private static boolean mayDownload(String name) {
        for (String prefix : NEVER_DOWNLOADED) {
            if (name.startsWith(prefix)) {
                return false;
            }
        }
        return VokAppletMgr.classNameOf(name) != null;
    }

    @Override
    protected URL findResource(String name) {
        if (name == null || !resources.containsKey(name)) {
            return null;
        }
        // Naming our own stream handler needs a permission the applet on the stack does not have.
        return AccessController.doPrivileged((PrivilegedAction<URL>) () -> {
            try {
                return new URL(RESOURCE_PROTOCOL, "", -1, "/" + name, resourceHandler);
            } catch (MalformedURLException e) {
                return null;
            }
        });
    }

    @Override
    protected Enumeration<URL> findResources(String name) {
        URL url = findResource(name);
        return url == null ? Collections.emptyEnumeration() : Collections.enumeration(Collections.singleton(url));
    }

    private ProtectionDomain makeDomain(URL location) {
        return new ProtectionDomain(new CodeSource(location, (CodeSigner[]) null), new Permissions(), this, null);
    }

    private static URL parseUrl(String url) {
        try {
            return url == null ? null : new URL(url);
        } catch (MalformedURLException e) {
            return null;
        }
    }

    private static String classNameOfEntry(String entry) {
        if (!entry.endsWith(".class") || entry.startsWith("META-INF/") || entry.endsWith("module-info.class")) {
            return null;
        }
        return entry.substring(0, entry.length() - ".class".length()).replace('/', '.');
    }

    /** The name a class file declares for itself (its this_class entry). */
    static String classNameOfClassFile(byte[] bytes) throws IOException {
        if (bytes == null) {
            throw new IOException("no bytes");
        }
        DataInputStream in = new DataInputStream(new ByteArrayInputStream(bytes));
        if (in.readInt() != 0xCAFEBABE) {
            throw new IOException("bad magic number");
        }
        in.readUnsignedShort();
        in.readUnsignedShort();
        int count = in.readUnsignedShort();
        String[] utf8 = new String[count];
        int[] classNameIndex = new int[count];
        for (int i = 1; i < count; i++) {
            int tag = in.readUnsignedByte();
            switch (tag) {
                case 1 -> utf8[i] = in.readUTF();
                case 7 -> classNameIndex[i] = in.readUnsignedShort();
                case 8, 16, 19, 20 -> in.skipNBytes(2);
                case 15 -> in.skipNBytes(3);
                case 3, 4, 9, 10, 11, 12, 17, 18 -> in.skipNBytes(4);
                case 5, 6 -> {
                    in.skipNBytes(8);
                    i++;
                }
                default -> throw new IOException("unknown constant pool tag " + tag);
            }
        }
        in.readUnsignedShort();
        int thisClass = in.readUnsignedShort();
        if (thisClass <= 0 || thisClass >= count || classNameIndex[thisClass] <= 0 || classNameIndex[thisClass] >= count
            || utf8[classNameIndex[thisClass]] == null) {
            throw new IOException("no class name");
        }
        return utf8[classNameIndex[thisClass]].replace('/', '.');
    }

    /** Serves the resources of this loader's archives to the applet that reads them. */
    private final class ResourceHandler extends URLStreamHandler {
        @Override
        protected URLConnection openConnection(URL url) throws IOException {
            // An entry name may hold '?' or '#', which the URL took for a query or a fragment.
            String file = url.getRef() == null ? url.getFile() : url.getFile() + "#" + url.getRef();
            String name = file.startsWith("/") ? file.substring(1) : file;
            byte[] bytes = resources.get(name);
            if (bytes == null) {
                throw new IOException("no resource " + name);
            }
            return new URLConnection(url) {
                @Override
                public void connect() {
                    connected = true;
                }

                @Override
                public InputStream getInputStream() {
                    return new ByteArrayInputStream(bytes);
                }

                @Override
                public int getContentLength() {
                    return bytes.length;
                }
            };
        }
    }
}
