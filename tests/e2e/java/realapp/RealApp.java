package realapp;

import realhelper.Texts;

/**
 * The application of the end-to-end tests on a real VM. The first argument
 * says what to do; what it does goes to System.out and System.err.
 */
public final class RealApp {
    private static final Object served = new Object();
    private static int secondaryCalls;

    private RealApp() {
    }

    /** An exception whose toString throws, so that it cannot print itself. */
    static final class Unprintable extends IllegalStateException {
        Unprintable() {
            super("Zustand \u00e4");
        }

        @Override
        public String toString() {
            throw new UnsupportedOperationException("no text");
        }
    }

    /** An exception that is its own cause. */
    static final class Cycle extends RuntimeException {
        Cycle() {
            super("im Kreis");
        }

        @Override
        public Throwable getCause() {
            return this;
        }
    }

    /** A later start's arguments, as UTF-16 units; answers it with 7. */
    public static int secondaryMain(String[] args) {
        StringBuilder line = new StringBuilder("secondary " + args.length + ":");
        for (int i = 0; i < args.length; i++) {
            line.append(' ').append(Texts.units(args[i])).append('|');
        }
        System.out.println(line);
        System.out.flush();
        synchronized (served) {
            secondaryCalls++;
            served.notifyAll();
        }
        return 7;
    }

    public static void main(String[] args) throws Exception {
        String action = args.length > 0 ? args[0] : "args";
        if (action.equals("args")) {
            // Each argument as UTF-16 units, through a class of the other jar.
            System.out.println("count " + args.length);
            for (int i = 0; i < args.length; i++) {
                System.out.println("arg " + i + ": " + Texts.units(args[i]));
            }
        } else if (action.equals("exit")) {
            System.out.println("exiting with " + args[1]);
            System.exit(Integer.parseInt(args[1]));
        } else if (action.equals("throw")) {
            System.out.println("about to throw");
            throw new IllegalStateException("thrown by RealApp: Gr\u00f6\u00dfe \u00e4\u00f6\u00fc");
        } else if (action.equals("unprintable")) {
            throw new Unprintable();
        } else if (action.equals("cycle")) {
            throw new Cycle();
        } else if (action.equals("ask")) {
            // A command-line tool that asks a question on standard input.
            System.out.println("Your name?");
            System.out.flush();
            String name = new java.io.BufferedReader(new java.io.InputStreamReader(System.in)).readLine();
            System.out.println("Hello, " + name + "!");
        } else if (action.equals("hook")) {
            // Waits to be interrupted; the shutdown hook leaves args[1].
            final String hookFile = args[1];
            Runtime.getRuntime().addShutdownHook(new Thread(new Runnable() {
                public void run() {
                    try {
                        java.io.FileOutputStream out = new java.io.FileOutputStream(hookFile);
                        out.write("hook ran".getBytes("UTF-8"));
                        out.close();
                    } catch (java.io.IOException e) {
                        throw new RuntimeException(e);
                    }
                }
            }));
            System.out.println("waiting");
            System.out.flush();
            new java.io.FileOutputStream(args[2]).close();
            Thread.sleep(30000);
            System.out.println("never interrupted");
        } else if (action.equals("print")) {
            System.out.println("out line");
            System.err.println("err line");
        } else if (action.equals("serve")) {
            // Runs until a later start has been served, for at most 30 s.
            System.out.println("serving");
            System.out.flush();
            long end = System.currentTimeMillis() + 30000;
            synchronized (served) {
                while (secondaryCalls == 0 && System.currentTimeMillis() < end) {
                    served.wait(100);
                }
            }
            System.out.println("served " + secondaryCalls);
        } else if (action.equals("properties")) {
            // Each named system property as UTF-16 units.
            for (int i = 1; i < args.length; i++) {
                System.out.println(args[i] + ": " + Texts.units(String.valueOf(System.getProperty(args[i]))));
            }
        } else if (action.equals("window")) {
            // As a Swing or JavaFX main: the window lives on in a thread of
            // its own, here until two later starts have been served or 30 s.
            Thread window = new Thread(new Runnable() {
                public void run() {
                    long end = System.currentTimeMillis() + 30000;
                    synchronized (served) {
                        while (secondaryCalls < 2 && System.currentTimeMillis() < end) {
                            try {
                                served.wait(100);
                            } catch (InterruptedException e) {
                                return;
                            }
                        }
                    }
                    System.out.println("window closed after " + secondaryCalls);
                }
            });
            window.start();
            System.out.println("window up");
        } else if (action.equals("sleep")) {
            // Keeps main running while the splash picture is photographed.
            Thread.sleep(6000);
        } else if (action.equals("thread")) {
            // A non-daemon thread outlives main: the process must wait for it.
            Thread late = new Thread(new Runnable() {
                public void run() {
                    try {
                        Thread.sleep(1500);
                    } catch (InterruptedException e) {
                        return;
                    }
                    System.out.println("late line");
                }
            });
            late.start();
            System.out.println("main returns");
        }
    }
}
