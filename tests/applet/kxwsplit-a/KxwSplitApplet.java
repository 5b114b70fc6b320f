import java.applet.Applet;

/** An applet whose helper class comes from a second archive. */
public class KxwSplitApplet extends Applet {
    private static final long serialVersionUID = 1L;

    public String helper() {
        return new KxwSplitHelper().name();
    }
}
