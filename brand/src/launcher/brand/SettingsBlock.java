package launcher.brand;

import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;
import java.util.LinkedHashMap;
import java.util.Map;

// The base settings an executable carries, by upgrade code, in the block the
// launcher reads (an RCDATA resource), little-endian:
//   "LSET", u32 version 1, u32 count, then per entry
//   u32 n, n bytes of UTF-8 upgrade code, u32 m, m bytes of UTF-8 INI text.
public final class SettingsBlock {
    // The resource's id among the RCDATA resources.
    public static final int RESOURCE_ID = 1;

    private final Map<String, String> byCode = new LinkedHashMap<>();

    // Adds text for an upgrade code; a code given twice keeps its first text.
    public SettingsBlock put(String upgradeCode, String text) {
        byCode.putIfAbsent(upgradeCode, text);
        return this;
    }

    public boolean isEmpty() {
        return byCode.isEmpty();
    }

    public byte[] toBytes() {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.write('L');
        out.write('S');
        out.write('E');
        out.write('T');
        putU32(out, 1);
        putU32(out, byCode.size());
        for (Map.Entry<String, String> entry : byCode.entrySet()) {
            for (String part : new String[] {entry.getKey(), entry.getValue()}) {
                byte[] bytes = part.getBytes(StandardCharsets.UTF_8);
                putU32(out, bytes.length);
                out.write(bytes, 0, bytes.length);
            }
        }
        return out.toByteArray();
    }

    private static void putU32(ByteArrayOutputStream out, int value) {
        for (int shift = 0; shift < 32; shift += 8) out.write(value >>> shift);
    }
}
