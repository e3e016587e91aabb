package testapp;

/** A main class whose secondaryMain answers the later start with a code. */
public final class SecondaryInt {
    public static String[] lastArgs;
    public static int calls;

    private SecondaryInt() {
    }

    public static void main(String[] args) {
    }

    public static int secondaryMain(String[] args) {
        calls++;
        lastArgs = args;
        if (args.length > 0 && args[0].equals("throw")) {
            throw new IllegalStateException("cannot open " + args[0]);
        }
        return 7;
    }
}
