import java.lang.ref.Cleaner;
import netscape.javascript.JSException;
import netscape.javascript.JSObject;

/**
 * A script object of the page, held by its native handle; the handle is released once Java forgets the object.
 */
final class VokJSObject extends JSObject {
    private static final Cleaner CLEANER = Cleaner.create();
    // release() is an instance native, yet an object being cleaned is gone: this one only carries the call.
    private static final VokJSObject RELEASER = new VokJSObject(null, 0);

    private final long handle;
    private final VokVuserMgr user;

    /** Made by the native side, on the owner thread of the virtual user the object belongs to. */
    VokJSObject(long handle) {
        this(VokVuserMgr.forOwnerThread(), handle);
    }

    VokJSObject(VokVuserMgr user, long handle) {
        this.handle = handle;
        this.user = user;
        if (user != null && handle != 0) {
            CLEANER.register(this, new Release(user, handle));
        }
    }

    private native Object callMethod(long h, String name, Object[] args);

    private native Object getMember(long h, String name);

    private native void setMember(long h, String name, Object value);

    private native void removeMember(long h, String name);

    private native Object evalCode(long h, String code);

    private native Object getSlot(long h, int index);

    private native void setSlot(long h, int index, Object value);

    private native void release(long h);

    static void installWindowProvider() {
        JSObject.installWindowProvider(VokJSObject::windowOf);
    }

    /** The window of a started applet; JSException for anything else. */
    private static JSObject windowOf(Object applet) {
        VokAppletMgr mgr = VokVuserMgr.findStartedApplet(applet);
        if (mgr == null) {
            throw new JSException("no page window: that applet is not started in a page");
        }
        return mgr.stub().window();
    }

    @Override
    public Object call(String methodName, Object... args) throws JSException {
        Object[] values = toPage(args);
        return onOwner("call of page function " + methodName, () -> callMethod(handle, methodName, values));
    }

    @Override
    public Object eval(String code) throws JSException {
        return onOwner("page evaluation", () -> evalCode(handle, code));
    }

    @Override
    public Object getMember(String name) throws JSException {
        return onOwner("read of page member " + name, () -> getMember(handle, name));
    }

    @Override
    public void setMember(String name, Object value) throws JSException {
        Object v = toPage(value);
        onOwner("write of page member " + name, () -> {
            setMember(handle, name, v);
            return null;
        });
    }

    @Override
    public void removeMember(String name) throws JSException {
        onOwner("removal of page member " + name, () -> {
            removeMember(handle, name);
            return null;
        });
    }

    @Override
    public Object getSlot(int index) throws JSException {
        return onOwner("read of page slot " + index, () -> getSlot(handle, index));
    }

    @Override
    public void setSlot(int index, Object value) throws JSException {
        Object v = toPage(value);
        onOwner("write of page slot " + index, () -> {
            setSlot(handle, index, v);
            return null;
        });
    }

    @Override
    public String toString() {
        return "[page object " + handle + "]";
    }

    private Object onOwner(String what, java.util.concurrent.Callable<Object> call) {
        if (user == null || handle == 0) {
            throw new JSException(what + " refused: the object belongs to no virtual user");
        }
        Object result = user.callOnOwner(what, call);
        if (VokVuserMgr.traceMembers) {
            user.log(VokVuserMgr.LOG_INFO, what + " gave " + result);
        }
        return result;
    }

    private static Object[] toPage(Object[] args) {
        if (args == null) {
            return new Object[0];
        }
        Object[] values = new Object[args.length];
        for (int i = 0; i < args.length; i++) {
            values[i] = toPage(args[i]);
        }
        return values;
    }

    /** The kinds the native side takes: String, Boolean, Number, a page object, null; the rest as text. */
    static Object toPage(Object value) {
        if (value == null || value instanceof String || value instanceof Boolean || value instanceof Number
            || value instanceof VokJSObject) {
            return value;
        }
        return String.valueOf(value);
    }

    /** Holds no reference to the object it cleans, or it would never become unreachable. */
    private static final class Release implements Runnable {
        private final VokVuserMgr user;
        private final long handle;

        Release(VokVuserMgr user, long handle) {
            this.user = user;
            this.handle = handle;
        }

        @Override
        public void run() {
            user.postToOwner("release of page object " + handle, () -> {
                RELEASER.release(handle);
                return null;
            });
        }
    }
}
