package testapp;

/** Main classes for the launcher's JNI tests: each records how it was called. */
public final class Recorder {
    /** The arguments of the last call of main, or null before any. */
    public static String[] lastArgs;
    public static int calls;
    /** The message of the last exception the default uncaught-exception handler got. */
    public static String handled;
    /** Which main ran, set by the main classes whose main is not static main(String[]). */
    public static String ranBy;

    private Recorder() {
    }

    public static void main(String[] args) {
        calls++;
        lastArgs = args;
        if (args.length > 0 && args[0].equals("throwToHandler")) {
            Thread.setDefaultUncaughtExceptionHandler(new Thread.UncaughtExceptionHandler() {
                public void uncaughtException(Thread thread, Throwable e) {
                    handled = e.getMessage();
                }
            });
            throw new IllegalStateException("for the handler");
        }
        if (args.length > 0 && args[0].equals("throw")) {
            throw new IllegalStateException("Fehler beim Start: \u00e4\u00f6\u00fc");
        }
        if (args.length > 2 && args[0].equals("print")) {
            System.out.println(args[1]);
            System.err.println(args[2]);
            System.out.flush();
            System.err.flush();
        }
    }

    /** Length of each argument in UTF-16 units, for checks of exact text. */
    public static String describe(String[] args) {
        StringBuilder text = new StringBuilder();
        for (String arg : args) {
            text.append(arg.length()).append(':');
            for (int i = 0; i < arg.length(); i++) {
                text.append(Integer.toHexString(arg.charAt(i))).append(' ');
            }
            text.append('|');
        }
        return text.toString();
    }
}
