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
        return 7;
    }
}
