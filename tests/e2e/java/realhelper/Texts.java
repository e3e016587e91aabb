package realhelper;

/** Lives in a jar of its own, so that a start shows the whole class path was loaded. */
public final class Texts {
    private Texts() {
    }

    /** The text's UTF-16 units in hex, each followed by a space. */
    public static String units(String text) {
        StringBuilder units = new StringBuilder();
        for (int i = 0; i < text.length(); i++) {
            units.append(Integer.toHexString(text.charAt(i))).append(' ');
        }
        return units.toString();
    }
}
