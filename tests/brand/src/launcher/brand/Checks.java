package launcher.brand;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Comparator;
import java.util.stream.Stream;

/**
 * What the branding tool's test mains share: each check prints "ok name" or
 * "FAIL name: why", and {@link #exit()} ends the main with 1 when any failed.
 */
public final class Checks {
    /** The body of one check; a failed expectation or any exception fails it. */
    public interface Check {
        void run() throws Exception;
    }

    private static int failures;

    private Checks() {
    }

    /** Runs one check and prints how it went. */
    public static void run(String name, Check check) {
        try {
            check.run();
            System.out.println("ok " + name);
        } catch (Throwable e) {
            failures++;
            System.out.println("FAIL " + name + ": " + (e instanceof AssertionError ? e.getMessage() : e));
        }
    }

    /** Says which checks were left out and why. */
    public static void skip(String why) {
        System.out.println("skip " + why);
    }

    /** Fails the running check, saying what, unless the condition holds. */
    public static void expect(boolean condition, String what) {
        if (!condition) {
            throw new AssertionError(what);
        }
    }

    /** Fails the running check unless the action throws a BrandException whose message holds every fragment. */
    public static void refused(Check action, String... fragments) throws Exception {
        try {
            action.run();
        } catch (BrandException e) {
            for (String fragment : fragments) {
                expect(e.getMessage().contains(fragment), "the message lacks '" + fragment + "': " + e.getMessage());
            }
            return;
        }
        throw new AssertionError("not refused (expected " + Arrays.toString(fragments) + ")");
    }

    /** Ends the main: exit code 1 when any check failed, else 0. */
    public static void exit() {
        System.exit(failures == 0 ? 0 : 1);
    }

    /** Everything left in the stream, which is closed. */
    public static byte[] readAll(InputStream in) throws IOException {
        try (InputStream stream = in) {
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            byte[] buffer = new byte[65536];
            for (int n; (n = stream.read(buffer)) > 0;) {
                out.write(buffer, 0, n);
            }
            return out.toByteArray();
        }
    }

    /** A file the tool carries next to its classes, such as "launcher.exe". */
    public static byte[] carried(String name) throws IOException {
        InputStream in = Brander.class.getResourceAsStream(name);
        if (in == null) {
            throw new IOException("the class path holds no " + name + " next to Brander");
        }
        return readAll(in);
    }

    /** The folder, made empty: what an earlier run left must not decide this one. */
    public static Path workFolder(Path folder) throws IOException {
        if (Files.exists(folder)) {
            try (Stream<Path> paths = Files.walk(folder)) {
                paths.sorted(Comparator.reverseOrder()).forEach(p -> p.toFile().delete());
            }
        }
        return Files.createDirectories(folder);
    }

    /**
     * What the program wrote, standard error included so that a warning shows
     * as a difference; refused unless it ended with 0.
     */
    public static byte[] output(String... command) throws IOException, InterruptedException {
        Process process = new ProcessBuilder(command).redirectErrorStream(true).start();
        byte[] out = readAll(process.getInputStream());
        int code = process.waitFor();
        if (code != 0) {
            throw new IOException(String.join(" ", command) + " ended with " + code + ": "
                    + new String(out, StandardCharsets.UTF_8));
        }
        return out;
    }

    /** The bytes as a little-endian buffer. */
    public static ByteBuffer le(byte[] bytes) {
        return ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN);
    }
}
