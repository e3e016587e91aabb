package launcher.brand;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.CodingErrorAction;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;

// An INI file to embed as an executable's base settings: its text as the
// launcher reads it (lines end in CR LF, no byte-order mark) and its upgrade
// code, under which the launcher looks it up.
public final class SettingsFile {
    private final String text;
    private final String upgradeCode;

    private SettingsFile(String text) {
        this.text = text;
        this.upgradeCode = valueOf(text, "Product Information", "Upgrade Code");
    }

    // Reads an INI file written as UTF-8 (with or without a byte-order mark)
    // or as UTF-16 with a byte-order mark, as Windows tools write it.
    public static SettingsFile read(Path file) throws BrandException {
        byte[] bytes;
        try {
            bytes = Files.readAllBytes(file);
        } catch (IOException e) {
            throw new BrandException("The settings file " + file + " cannot be read: " + e.getMessage() + ".");
        }
        String text;
        try {
            if (bytes.length >= 2 && (bytes[0] & 0xff) == 0xff && (bytes[1] & 0xff) == 0xfe) {
                text = decode(bytes, 2, StandardCharsets.UTF_16LE);
            } else if (bytes.length >= 2 && (bytes[0] & 0xff) == 0xfe && (bytes[1] & 0xff) == 0xff) {
                text = decode(bytes, 2, StandardCharsets.UTF_16BE);
            } else if (bytes.length >= 3 && (bytes[0] & 0xff) == 0xef && (bytes[1] & 0xff) == 0xbb
                       && (bytes[2] & 0xff) == 0xbf) {
                text = decode(bytes, 3, StandardCharsets.UTF_8);
            } else {
                text = decode(bytes, 0, StandardCharsets.UTF_8);
            }
        } catch (CharacterCodingException e) {
            throw new BrandException("The settings file " + file
                                     + " is neither UTF-8 nor UTF-16 text with a byte-order mark; save it as UTF-8.");
        }
        return of(text);
    }

    // The same for text in memory.
    public static SettingsFile of(String text) {
        return new SettingsFile(text.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n"));
    }

    public String text() {
        return text;
    }

    public String upgradeCode() {
        return upgradeCode;
    }

    // The same text with key set in section, replacing an earlier value of
    // that key there and adding the section when the text has none.
    public SettingsFile with(String section, String key, String value) {
        StringBuilder out = new StringBuilder();
        String[] lines = text.split("\r\n", -1);
        boolean inSection = false;
        boolean done = false;
        for (String line : lines) {
            String trimmed = line.trim();
            if (trimmed.startsWith("[") && trimmed.endsWith("]")) {
                if (inSection && !done) {
                    out.append(key).append('=').append(value).append("\r\n");
                    done = true;
                }
                inSection = trimmed.substring(1, trimmed.length() - 1).equals(section);
            } else if (inSection && !done && line.contains("=")
                       && line.substring(0, line.indexOf('=')).trim().equals(key)) {
                out.append(key).append('=').append(value).append("\r\n");
                done = true;
                continue;
            }
            out.append(line).append("\r\n");
        }
        String result = out.substring(0, out.length() - 2);
        if (!done) {
            if (inSection) {
                result += (result.endsWith("\r\n") || result.isEmpty() ? "" : "\r\n") + key + "=" + value + "\r\n";
            } else {
                result += (result.endsWith("\r\n") || result.isEmpty() ? "" : "\r\n") + "[" + section + "]\r\n" + key
                          + "=" + value + "\r\n";
            }
        }
        return new SettingsFile(result);
    }

    // The value of key in the first section of that name, read as the
    // launcher reads INI text; empty when absent.
    static String valueOf(String text, String section, String key) {
        boolean inSection = false;
        boolean seen = false;
        for (String line : text.split("\r\n", -1)) {
            String trimmed = line.trim();
            if (trimmed.startsWith("[") && trimmed.endsWith("]")) {
                if (inSection) return "";
                String name = trimmed.substring(1, trimmed.length() - 1);
                inSection = !seen && name.equals(section);
                seen |= inSection;
            } else if (inSection && line.contains("=")) {
                if (line.substring(0, line.indexOf('=')).trim().equals(key))
                    return line.substring(line.indexOf('=') + 1).trim();
            }
        }
        return "";
    }

    private static String decode(byte[] bytes, int skip, java.nio.charset.Charset charset)
        throws CharacterCodingException {
        return charset.newDecoder().onMalformedInput(CodingErrorAction.REPORT)
                      .onUnmappableCharacter(CodingErrorAction.REPORT)
                      .decode(ByteBuffer.wrap(bytes, skip, bytes.length - skip)).toString();
    }
}
