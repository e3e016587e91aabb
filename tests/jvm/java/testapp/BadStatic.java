package testapp;

/** A class whose static initialiser fails, so that loading it throws. */
public final class BadStatic {
    static {
        if (true) {
            throw new IllegalStateException("initialiser fails");
        }
    }

    private BadStatic() {
    }

    public static void main(String[] args) {
    }
}
