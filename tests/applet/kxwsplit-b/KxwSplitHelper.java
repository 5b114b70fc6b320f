/** Found only in the second archive of the pair. */
public class KxwSplitHelper {
    public String name() {
        return "helper from kxwsplit-b";
    }
}
