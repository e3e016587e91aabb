package launcher.brand;

// A branding step that cannot be done; the message is one sentence for a
// build log and names the file concerned.
public final class BrandException extends Exception {
    private static final long serialVersionUID = 1L;

    public BrandException(String message) {
        super(message);
    }
}
