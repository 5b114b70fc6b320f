import java.applet.Applet;

/** An applet delivered as a bare class file. */
public class KxwPlainApplet extends Applet {
    private static final long serialVersionUID = 1L;

    public int answer() {
        return 42;
    }
}
