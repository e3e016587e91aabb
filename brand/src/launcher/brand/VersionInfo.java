package launcher.brand;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.Map;

/**
 * The version resource (RT_VERSION) of an executable: a VS_VERSIONINFO block
 * with the numeric file and product versions, one string table for US
 * English in Unicode (040904B0) and the translation entry that points
 * Windows at it.
 */
public final class VersionInfo {
    public static final String COMPANY_NAME = "CompanyName";
    public static final String FILE_DESCRIPTION = "FileDescription";
    public static final String FILE_VERSION = "FileVersion";
    public static final String INTERNAL_NAME = "InternalName";
    public static final String LEGAL_COPYRIGHT = "LegalCopyright";
    public static final String ORIGINAL_FILENAME = "OriginalFilename";
    public static final String PRODUCT_NAME = "ProductName";
    public static final String PRODUCT_VERSION = "ProductVersion";
    public static final String COMMENTS = "Comments";

    private static final String ROOT_KEY = "VS_VERSION_INFO";
    private static final String STRING_FILE_INFO = "StringFileInfo";
    private static final String STRING_TABLE = "040904B0";
    private static final int LANGUAGE = 0x0409;
    private static final int CODE_PAGE = 1200;

    private static final int BINARY = 0;
    private static final int TEXT = 1;
    private static final int FIXED_SIZE = 52;
    private static final int FIXED_SIGNATURE = 0xFEEF04BD;
    private static final int FIXED_STRUCT_VERSION = 0x00010000;
    private static final int FLAGS_MASK = 0x3F;
    private static final int VS_FF_PRERELEASE = 0x2;
    private static final int VOS_NT_WINDOWS32 = 0x40004;
    private static final int VFT_APP = 1;
    private static final int MAX_LENGTH = 0xFFFF;

    private final Map<String, String> strings = new LinkedHashMap<String, String>();
    private int[] fileVersion = new int[4];
    private int[] productVersion = new int[4];
    private Boolean prerelease;

    /** An empty version block: no strings, versions 0.0.0.0. */
    public VersionInfo() {
    }

    /**
     * Sets one string of the table; strings keep the order in which their
     * keys were first set. A null or empty value leaves the key out (and
     * takes out a value set before). Throws IllegalArgumentException for an
     * empty key, a NUL character in key or value, or when the block would grow
     * beyond the 65535 bytes its length field can count.
     */
    public VersionInfo set(String key, String value) {
        if (key.isEmpty() || key.indexOf('\0') >= 0) {
            throw new IllegalArgumentException("A version string needs a key without NUL characters: \"" + key + "\"");
        }
        if (value == null || value.isEmpty()) {
            strings.remove(key);
            return this;
        }
        // A NUL would end the text for every reader, which would show less than was set.
        if (value.indexOf('\0') >= 0) {
            throw new IllegalArgumentException("The version string " + key + " contains a NUL character");
        }
        String before = strings.put(key, value);
        if (build().length > MAX_LENGTH) {
            if (before == null) {
                strings.remove(key);
            } else {
                strings.put(key, before);
            }
            throw new IllegalArgumentException("The version string " + key
                    + " makes the version block longer than " + MAX_LENGTH + " bytes");
        }
        return this;
    }

    /** Sets the numeric file version: four parts, each 0..65535. */
    public VersionInfo fileVersion(int[] parts) {
        fileVersion = checked(parts);
        return this;
    }

    /** Sets the numeric product version: four parts, each 0..65535. */
    public VersionInfo productVersion(int[] parts) {
        productVersion = checked(parts);
        return this;
    }

    /**
     * Sets whether the fixed flags say VS_FF_PRERELEASE. Unless this is
     * called, they say so when the ProductVersion string contains a '-'
     * (as in "1.2.3-SNAPSHOT" or "2.0-rc1").
     */
    public VersionInfo prerelease(boolean prerelease) {
        this.prerelease = prerelease;
        return this;
    }

    /** The bytes of the RT_VERSION resource. */
    public byte[] toResource() {
        return build();
    }

    /**
     * The strings of the first string table of a version resource, in their
     * order, whatever its language and code page (also those rc.exe and
     * windres write). Throws IllegalArgumentException when the bytes are not
     * a well-formed version resource.
     */
    static Map<String, String> readStrings(byte[] resource) {
        Map<String, String> strings = new LinkedHashMap<String, String>();
        int rootEnd = root(resource);
        for (int info = children(resource, 0); info < rootEnd; info = next(resource, info, rootEnd)) {
            if (!STRING_FILE_INFO.equals(key(resource, info))) {
                continue;
            }
            int infoEnd = end(resource, info, rootEnd);
            int table = children(resource, info);
            if (table >= infoEnd) {
                break;
            }
            int tableEnd = end(resource, table, infoEnd);
            for (int s = children(resource, table); s < tableEnd; s = next(resource, s, tableEnd)) {
                strings.put(key(resource, s), value(resource, s, end(resource, s, tableEnd)));
            }
            break;
        }
        return strings;
    }

    /**
     * The numeric file version of a version resource. Throws
     * IllegalArgumentException when the bytes are not a well-formed version
     * resource or have no fixed file information.
     */
    static int[] readFileVersion(byte[] resource) {
        int rootEnd = root(resource);
        int fixed = valueStart(resource, 0);
        if (u16(resource, 2) < FIXED_SIZE || fixed + FIXED_SIZE > rootEnd
                || ByteBuffer.wrap(resource, fixed, 4).order(ByteOrder.LITTLE_ENDIAN).getInt() != FIXED_SIGNATURE) {
            throw new IllegalArgumentException("The version resource has no fixed file information");
        }
        return new int[] {u16(resource, fixed + 10), u16(resource, fixed + 8), u16(resource, fixed + 14),
            u16(resource, fixed + 12)};
    }

    private static int[] checked(int[] parts) {
        if (parts.length != 4) {
            throw new IllegalArgumentException("A version has four parts, not " + parts.length);
        }
        for (int part : parts) {
            if (part < 0 || part > VersionNumber.MAX_PART) {
                throw new IllegalArgumentException("A version part must be 0..65535, not " + part);
            }
        }
        return parts.clone();
    }

    private byte[] build() {
        int bound = 256;
        for (Map.Entry<String, String> string : strings.entrySet()) {
            bound += 16 + 2 * (string.getKey().length() + string.getValue().length());
        }
        ByteBuffer out = ByteBuffer.allocate(bound).order(ByteOrder.LITTLE_ENDIAN);
        int root = begin(out, ROOT_KEY, FIXED_SIZE, BINARY);
        String product = strings.get(PRODUCT_VERSION);
        boolean isPrerelease = prerelease != null ? prerelease : product != null && product.indexOf('-') >= 0;
        out.putInt(FIXED_SIGNATURE).putInt(FIXED_STRUCT_VERSION)
            .putInt(fileVersion[0] << 16 | fileVersion[1]).putInt(fileVersion[2] << 16 | fileVersion[3])
            .putInt(productVersion[0] << 16 | productVersion[1]).putInt(productVersion[2] << 16 | productVersion[3])
            .putInt(FLAGS_MASK).putInt(isPrerelease ? VS_FF_PRERELEASE : 0)
            .putInt(VOS_NT_WINDOWS32).putInt(VFT_APP).putInt(0).putInt(0).putInt(0);

        int info = begin(out, STRING_FILE_INFO, 0, TEXT);
        int table = begin(out, STRING_TABLE, 0, TEXT);
        for (Map.Entry<String, String> string : strings.entrySet()) {
            // The value length of a text counts its WCHARs with the closing NUL.
            int s = begin(out, string.getKey(), string.getValue().length() + 1, TEXT);
            putText(out, string.getValue());
            end(out, s);
        }
        end(out, table);
        end(out, info);

        int vars = begin(out, "VarFileInfo", 0, TEXT);
        int translation = begin(out, "Translation", 4, BINARY);
        out.putShort((short) LANGUAGE).putShort((short) CODE_PAGE);
        end(out, translation);
        end(out, vars);
        end(out, root);
        return Arrays.copyOf(out.array(), out.position());
    }

    // Every block starts on a DWORD boundary and so does its value after the
    // key; the padding before a block belongs to its parent, so a block's
    // length ends with its own last byte.
    private static int begin(ByteBuffer out, String key, int valueLength, int type) {
        align(out);
        int start = out.position();
        out.putShort((short) 0).putShort((short) valueLength).putShort((short) type);
        putText(out, key);
        align(out);
        return start;
    }

    private static void end(ByteBuffer out, int start) {
        out.putShort(start, (short) (out.position() - start));
    }

    private static void align(ByteBuffer out) {
        while (out.position() % 4 != 0) {
            out.put((byte) 0);
        }
    }

    private static void putText(ByteBuffer out, String text) {
        out.put(text.getBytes(StandardCharsets.UTF_16LE)).putShort((short) 0);
    }

    private static int root(byte[] b) {
        int end = end(b, 0, b.length);
        if (!ROOT_KEY.equals(key(b, 0))) {
            throw malformed("it does not start with " + ROOT_KEY);
        }
        return end;
    }

    private static int end(byte[] b, int at, int limit) {
        if (at + 6 > limit) {
            throw malformed("a block at " + at + " runs past its parent");
        }
        int length = u16(b, at);
        if (length < 6 || at + length > limit) {
            throw malformed("the block at " + at + " has a length of " + length);
        }
        return at + length;
    }

    // The next sibling, or limit when only padding is left.
    private static int next(byte[] b, int at, int limit) {
        int next = align(end(b, at, limit));
        return next + 6 <= limit ? next : limit;
    }

    private static int children(byte[] b, int at) {
        int valueLength = u16(b, at + 2);
        return align(valueStart(b, at) + (u16(b, at + 4) == TEXT ? 2 * valueLength : valueLength));
    }

    private static int valueStart(byte[] b, int at) {
        return align(keyEnd(b, at) + 2);
    }

    private static int keyEnd(byte[] b, int at) {
        int end = end(b, at, b.length);
        for (int k = at + 6; k + 1 < end; k += 2) {
            if (b[k] == 0 && b[k + 1] == 0) {
                return k;
            }
        }
        throw malformed("the key of the block at " + at + " has no end");
    }

    private static String key(byte[] b, int at) {
        return new String(b, at + 6, keyEnd(b, at) - at - 6, StandardCharsets.UTF_16LE);
    }

    // Read up to the NUL rather than by the value length: some writers count
    // that in bytes, some leave the NUL out, some count the padding.
    private static String value(byte[] b, int at, int end) {
        int start = valueStart(b, at);
        int stop = start;
        while (stop + 1 < end && (b[stop] != 0 || b[stop + 1] != 0)) {
            stop += 2;
        }
        return stop <= start ? "" : new String(b, start, stop - start, StandardCharsets.UTF_16LE);
    }

    private static int align(int offset) {
        return (offset + 3) & ~3;
    }

    private static int u16(byte[] b, int at) {
        return (b[at] & 0xFF) | (b[at + 1] & 0xFF) << 8;
    }

    private static IllegalArgumentException malformed(String why) {
        return new IllegalArgumentException("The version resource is malformed: " + why);
    }
}
