import java.security.CodeSource;
import java.security.Permission;
import java.security.PermissionCollection;
import java.security.Permissions;
import java.security.Policy;
import java.security.ProtectionDomain;
import java.util.PropertyPermission;

/**
 * Everything for the library and the JDK; for applet classes only what the JDK's default policy grants all code.
 */
@SuppressWarnings("removal")
final class VokAppletPolicy extends Policy {
    // The reads the JDK's default policy grants everybody. Its "localhost:0 listen" grant is left out on purpose:
    // applets open no sockets at all.
    private static final String[] READABLE_PROPERTIES = {
        "java.version", "java.vendor", "java.vendor.url", "java.class.version", "os.name", "os.version", "os.arch",
        "file.separator", "path.separator", "line.separator", "java.specification.version",
        "java.specification.maintenance.version", "java.specification.vendor", "java.specification.name",
        "java.vm.specification.version", "java.vm.specification.vendor", "java.vm.specification.name",
        "java.vm.version", "java.vm.vendor", "java.vm.name",
    };

    private final PermissionCollection appletPermissions = new Permissions();

    VokAppletPolicy() {
        for (String name : READABLE_PROPERTIES) {
            appletPermissions.add(new PropertyPermission(name, "read"));
        }
        appletPermissions.setReadOnly();
    }

    static String[] readableProperties() {
        return READABLE_PROPERTIES.clone();
    }

    /** Loads what implies() needs before a security manager could ask it to, which would recurse. */
    void prepare() {
        implies(null, new PropertyPermission("java.version", "read"));
        appletPermissions.implies(new RuntimePermission("exitVM.0"));
    }

    @Override
    public boolean implies(ProtectionDomain domain, Permission permission) {
        return !isAppletDomain(domain) || appletPermissions.implies(permission);
    }

    @Override
    public PermissionCollection getPermissions(ProtectionDomain domain) {
        Permissions granted = new Permissions();
        if (isAppletDomain(domain)) {
            appletPermissions.elements().asIterator().forEachRemaining(granted::add);
        } else {
            granted.add(new java.security.AllPermission());
        }
        return granted;
    }

    @Override
    public PermissionCollection getPermissions(CodeSource codeSource) {
        // A code source alone does not say whether applet code stands behind it.
        return Policy.UNSUPPORTED_EMPTY_COLLECTION;
    }

    private static boolean isAppletDomain(ProtectionDomain domain) {
        return domain != null && domain.getClassLoader() instanceof JarClassLoader;
    }
}
