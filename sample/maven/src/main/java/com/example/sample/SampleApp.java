package com.example.sample;

/** The sample application built with Maven: prints the arguments it was started with. */
public final class SampleApp {
    private SampleApp() {
    }

    /** Prints how many arguments there are, then each one on its own line. */
    public static void main(String[] args) {
        System.out.println("SampleApp started with " + args.length + " argument(s)");
        for (int i = 0; i < args.length; i++) {
            System.out.println("  [" + i + "] " + args[i]);
        }
    }
}
