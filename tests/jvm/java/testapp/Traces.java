package testapp;

import java.io.PrintStream;

/** Exceptions whose printed traces the launcher shows. */
public final class Traces {
    private Traces() {
    }

    /** A cause chain with a message outside ASCII. */
    public static Throwable chained() {
        try {
            throw new IllegalArgumentException("Ursache: \u00e4\u00f6\u00fc\u00df");
        } catch (IllegalArgumentException cause) {
            return new IllegalStateException("Fehler beim Start", cause);
        }
    }

    /** One whose printStackTrace writes a line and then throws. */
    public static Throwable faulty() {
        return new RuntimeException("faulty") {
            @Override
            public void printStackTrace(PrintStream stream) {
                stream.println("written before the failure");
                throw new UnsupportedOperationException("cannot print");
            }
        };
    }
}
