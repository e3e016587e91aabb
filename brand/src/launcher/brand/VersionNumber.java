package launcher.brand;

/**
 * The four numbers of a Windows version (major, minor, patch, build), read
 * from a version text as Maven and Gradle write it.
 */
public final class VersionNumber {
    /** The most one part of a Windows version holds (a WORD). */
    static final int MAX_PART = 0xFFFF;

    private VersionNumber() {
    }

    /**
     * The four parts of the version text, each 0..65535; never throws.
     * <p>
     * An optional leading "v" or "V" is skipped; then up to four dot-separated
     * runs of decimal digits are read, up to the first character that is
     * neither a digit nor a dot followed by a digit. Parts not read are 0. A
     * part above 65535 becomes 65535, so "20241015" gives 65535.0.0.0 rather
     * than a number Windows would cut off somewhere else. When fewer than four
     * parts were read and all that is left is "-" and digits, that number is
     * the fourth part (Maven's build number): "1.2-5" gives 1.2.0.5. A text
     * that has no digit where the first part belongs (null, "", "SNAPSHOT")
     * gives 0.0.0.0. Spaces around the text are ignored.
     */
    public static int[] parts(String version) {
        int[] parts = new int[4];
        if (version == null) {
            return parts;
        }
        String text = version.trim();
        int at = text.startsWith("v") || text.startsWith("V") ? 1 : 0;
        if (at >= text.length() || !isDigit(text.charAt(at))) {
            return parts;
        }
        int count = 0;
        while (true) {
            int end = digitsEnd(text, at);
            parts[count++] = number(text, at, end);
            at = end;
            if (count == parts.length || at + 1 >= text.length() || text.charAt(at) != '.'
                    || !isDigit(text.charAt(at + 1))) {
                break;
            }
            at++;
        }
        if (count < parts.length && at + 1 < text.length() && text.charAt(at) == '-'
                && digitsEnd(text, at + 1) == text.length()) {
            parts[3] = number(text, at + 1, text.length());
        }
        return parts;
    }

    /** The parts joined by dots, as in "1.2.3.0". */
    public static String dotted(int[] parts) {
        StringBuilder text = new StringBuilder();
        for (int i = 0; i < parts.length; i++) {
            text.append(i == 0 ? "" : ".").append(parts[i]);
        }
        return text.toString();
    }

    // Only ASCII digits: Character.isDigit would also take Arabic-Indic or
    // full-width digits, which no build tool writes into a version.
    private static boolean isDigit(char c) {
        return c >= '0' && c <= '9';
    }

    private static int digitsEnd(String text, int at) {
        while (at < text.length() && isDigit(text.charAt(at))) {
            at++;
        }
        return at;
    }

    private static int number(String text, int from, int to) {
        int value = 0;
        for (int i = from; i < to; i++) {
            // Capped on every digit, so that a run of any length cannot overflow.
            value = Math.min(MAX_PART, value * 10 + (text.charAt(i) - '0'));
        }
        return value;
    }
}
