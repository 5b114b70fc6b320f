package netscape.javascript;

/**
 * An error reported by the page's script engine, or a page call that could not be made.
 */
public class JSException extends RuntimeException {
    private static final long serialVersionUID = 2778103758223661489L;

    public JSException() {
        super();
    }

    public JSException(String s) {
        super(s);
    }

    public JSException(Throwable cause) {
        super(cause);
    }
}
