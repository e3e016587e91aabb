package testapp;

/** A main class that takes later starts' arguments and returns nothing. */
public final class SecondaryVoid {
    public static String[] lastArgs;
    public static int calls;

    private SecondaryVoid() {
    }

    public static void main(String[] args) {
    }

    public static void secondaryMain(String[] args) {
        calls++;
        lastArgs = args;
        if (args.length > 0 && args[0].equals("throw")) {
            throw new IllegalStateException("from secondaryMain");
        }
    }
}
