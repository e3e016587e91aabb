package com.example.sample;

/** The sample application: prints the arguments it was started with. */
public final class SampleApp {
    private SampleApp() {
    }

    public static void main(String[] args) {
        System.out.println("SampleApp started with " + args.length + " argument(s)");
        for (int i = 0; i < args.length; i++) {
            System.out.println("  [" + i + "] " + args[i]);
        }
    }
}
