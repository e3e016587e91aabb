package launcher.brand;

import java.util.Collections;
import java.util.Map;
import java.util.TreeMap;

/**
 * Converts between the RT_STRING resources of an executable and its texts.
 * String block b (the resource name, 1 to 4096) holds the ids (b-1)*16 to
 * (b-1)*16+15, each as a little-endian u16 length in UTF-16 units followed by
 * that many UTF-16LE units and no terminator; a length of 0 is an absent
 * string. An empty text therefore cannot be told apart from a missing one.
 */
public final class StringTable {
    /** Number of strings one block holds. */
    public static final int STRINGS_PER_BLOCK = 16;

    private static final int MAX_ID = 0xFFFF;
    private static final int MAX_LENGTH = 0xFFFF;

    private StringTable() {
    }

    /** Same as {@link #read(Map, String)} with "the string table" as the name in messages. */
    public static Map<Integer, String> read(Map<Integer, byte[]> blocks) throws BrandException {
        return read(blocks, "the string table");
    }

    /**
     * Decodes string blocks (block number to resource bytes) into a sorted map
     * from string id to text; absent strings are left out. what names the
     * table in messages, e.g. "the string table of launcher.exe". A block that
     * ends inside a string, carries non-zero bytes after its 16 strings or has
     * an impossible number is refused.
     */
    public static Map<Integer, String> read(Map<Integer, byte[]> blocks, String what) throws BrandException {
        Map<Integer, String> texts = new TreeMap<>();
        for (Map.Entry<Integer, byte[]> block : new TreeMap<>(blocks).entrySet()) {
            int number = block.getKey();
            byte[] bytes = block.getValue();
            if (number < 1 || number > (MAX_ID >> 4) + 1) {
                throw new BrandException("Cannot read " + what + ": " + number
                        + " is not a string block number (they run from 1 to 4096).");
            }
            int first = (number - 1) * STRINGS_PER_BLOCK;
            int pos = 0;
            for (int i = 0; i < STRINGS_PER_BLOCK; i++) {
                int id = first + i;
                if (pos + 2 > bytes.length) {
                    throw truncated(what, number, id, bytes.length);
                }
                int length = (bytes[pos] & 0xFF) | (bytes[pos + 1] & 0xFF) << 8;
                pos += 2;
                if (pos + 2 * length > bytes.length) {
                    throw truncated(what, number, id, bytes.length);
                }
                char[] units = new char[length];
                for (int u = 0; u < length; u++, pos += 2) {
                    units[u] = (char) ((bytes[pos] & 0xFF) | (bytes[pos + 1] & 0xFF) << 8);
                }
                if (length > 0) {
                    texts.put(id, new String(units));
                }
            }
            // Some resource compilers pad a block; padding is zero, anything else
            // means the lengths were misread and the texts would be garbage.
            for (; pos < bytes.length; pos++) {
                if (bytes[pos] != 0) {
                    throw new BrandException("Cannot read " + what + ": block " + number + " has "
                            + (bytes.length - pos) + " bytes of unknown data after its 16 strings.");
                }
            }
        }
        return Collections.unmodifiableMap(texts);
    }

    /**
     * Encodes texts (string id to text) as string blocks (block number to
     * resource bytes), the exact inverse of {@link #read(Map, String)}. Only
     * blocks with at least one non-empty text are produced; empty texts are
     * treated as absent. Ids outside 0..65535 and texts longer than 65535
     * UTF-16 units are refused.
     */
    public static Map<Integer, byte[]> write(Map<Integer, String> texts) throws BrandException {
        Map<Integer, String[]> grouped = new TreeMap<>();
        for (Map.Entry<Integer, String> text : texts.entrySet()) {
            int id = text.getKey();
            String value = text.getValue();
            if (id < 0 || id > MAX_ID) {
                throw new BrandException("Cannot write string " + id
                        + " into the string table: string ids run from 0 to 65535.");
            }
            if (value.length() > MAX_LENGTH) {
                throw new BrandException("Cannot write string " + id + " into the string table: it is "
                        + value.length() + " UTF-16 units long, a string table entry holds at most 65535.");
            }
            if (value.isEmpty()) {
                continue;
            }
            grouped.computeIfAbsent(blockOf(id), b -> new String[STRINGS_PER_BLOCK])[id & 0xF] = value;
        }
        Map<Integer, byte[]> blocks = new TreeMap<>();
        for (Map.Entry<Integer, String[]> block : grouped.entrySet()) {
            int size = 2 * STRINGS_PER_BLOCK;
            for (String s : block.getValue()) {
                size += s == null ? 0 : 2 * s.length();
            }
            byte[] bytes = new byte[size];
            int pos = 0;
            for (String s : block.getValue()) {
                String value = s == null ? "" : s;
                bytes[pos++] = (byte) value.length();
                bytes[pos++] = (byte) (value.length() >> 8);
                for (int u = 0; u < value.length(); u++) {
                    bytes[pos++] = (byte) value.charAt(u);
                    bytes[pos++] = (byte) (value.charAt(u) >> 8);
                }
            }
            blocks.put(block.getKey(), bytes);
        }
        return Collections.unmodifiableMap(blocks);
    }

    /** The number of the block (resource name) that holds string id. */
    public static int blockOf(int id) {
        return (id >> 4) + 1;
    }

    private static BrandException truncated(String what, int number, int id, int size) {
        int first = (number - 1) * STRINGS_PER_BLOCK;
        return new BrandException("Cannot read " + what + ": block " + number + " (ids " + first + " to "
                + (first + STRINGS_PER_BLOCK - 1) + ") ends inside string " + id + " after " + size + " bytes.");
    }
}
