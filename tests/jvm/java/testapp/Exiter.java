package testapp;

/** Ends the VM with the status given as its first argument. */
public final class Exiter {
    private Exiter() {
    }

    public static void main(String[] args) {
        System.exit(Integer.parseInt(args[0]));
    }
}
