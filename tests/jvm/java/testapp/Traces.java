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

    /** One whose toString throws, so that printStackTrace writes nothing. */
    static final class Unprintable extends IllegalStateException {
        Unprintable() {
            super("Zustand \u00e4");
        }

        @Override
        public String toString() {
            throw new UnsupportedOperationException("no text");
        }
    }

    /** One whose cause is any exception, itself too, and whose printStackTrace throws. */
    static final class Loop extends RuntimeException {
        Throwable next;

        Loop(String message) {
            super(message);
        }

        @Override
        public Throwable getCause() {
            return next;
        }

        @Override
        public void printStackTrace(PrintStream stream) {
            throw new IllegalStateException("loops");
        }
    }

    public static Throwable unprintable() {
        return new Unprintable();
    }

    /** Two exceptions, each the other's cause. */
    public static Throwable cyclic() {
        Loop first = new Loop("first");
        Loop second = new Loop("second");
        first.next = second;
        second.next = first;
        return first;
    }

    /** A message with a NUL character inside. */
    public static Throwable withNul() {
        return new IllegalArgumentException("vor\u0000nach");
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
