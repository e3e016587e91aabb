package launcher.brand;

import java.io.IOException;
import java.io.InputStream;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.CharsetDecoder;
import java.nio.charset.CodingErrorAction;
import java.nio.charset.StandardCharsets;
import java.nio.file.AccessDeniedException;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * The texts a launcher shows: string-table messages by id, dialog captions and
 * dialog control texts, read from a message file and applied to the
 * launcher's own resources.
 *
 * <p>Message file format: UTF-8 text, optionally starting with a byte order
 * mark. Each line holds one entry {@code key = text}; blank lines and lines
 * whose first non-blank character is {@code #} are ignored. Blanks around the
 * key and around the text are dropped. Keys:
 * <ul>
 * <li>{@code 211} - the string-table text with id 211;</li>
 * <li>{@code dialog.201.caption} - the caption of dialog 201;</li>
 * <li>{@code dialog.201.1} - the text of the control with id 1 in dialog 201.</li>
 * </ul>
 * In a text, {@code \n} stands for a line feed, {@code \t} for a tab and
 * {@code \\} for a backslash; any other backslash sequence is an error. A key
 * may appear only once. Every key must name a text the launcher has; texts the
 * file leaves out keep the launcher's text.
 *
 * <p>String-table texts are formatted by the launcher: each must have the same
 * placeholders, in the same order and written the same way, as the launcher's
 * text for that id ({@code %s}, {@code %d}; {@code %%} is a literal percent
 * sign and no placeholder), and must not be empty. Dialog texts are shown as
 * they are, any text goes; controls that show an icon cannot be given a text.
 */
public final class MessageTexts {
    private static final Pattern STRING_KEY = Pattern.compile("[0-9]+");
    private static final Pattern CAPTION_KEY = Pattern.compile("dialog\\.([0-9]+)\\.caption");
    private static final Pattern CONTROL_KEY = Pattern.compile("dialog\\.([0-9]+)\\.([0-9]+)");
    private static final String[] LENGTH_MODIFIERS = {"hh", "h", "ll", "l", "L", "I64", "I32", "I", "w", "z", "j", "t"};
    private static final int MAX_STRING_ID = 0xFFFF;
    private static final int MAX_TEXT_LENGTH = 0xFFFF;

    private final String source;
    private final Map<Integer, Entry> strings = new TreeMap<>();
    private final Map<Integer, Entry> captions = new TreeMap<>();
    private final Map<Integer, Map<Integer, Entry>> controls = new TreeMap<>();

    /** One line of the message file. */
    private static final class Entry {
        final String key;
        final int line;
        final String text;

        Entry(String key, int line, String text) {
            this.key = key;
            this.line = line;
            this.text = text;
        }
    }

    private MessageTexts(String source) {
        this.source = source;
    }

    /**
     * The texts built into the branding tool: "en" is English (the jar
     * resource messages-en.txt), "de" the texts the launcher ships with, that
     * is no change at all.
     */
    public static MessageTexts builtIn(String name) throws BrandException {
        if ("de".equals(name)) {
            return new MessageTexts("the built-in German texts");
        }
        if (!"en".equals(name)) {
            throw new BrandException("There are no built-in messages named '" + name
                    + "'; use en or de, or give a message file.");
        }
        String file = "messages-" + name + ".txt";
        String source = "built-in " + file;
        try (InputStream in = MessageTexts.class.getResourceAsStream(file)) {
            if (in == null) {
                throw new BrandException("The branding tool is incomplete: " + source + " is missing from it.");
            }
            return parse(source, Brander.readAll(in));
        } catch (IOException e) {
            throw new BrandException("Cannot read " + source + ": " + e.getMessage());
        }
    }

    /** Reads a developer's message file (format in the class comment). */
    public static MessageTexts read(Path file) throws BrandException {
        byte[] content;
        try {
            content = Files.readAllBytes(file);
        } catch (NoSuchFileException e) {
            throw new BrandException("The message file " + file + " does not exist.");
        } catch (AccessDeniedException e) {
            throw new BrandException("The message file " + file + " cannot be read: access is denied.");
        } catch (IOException e) {
            throw new BrandException("Cannot read the message file " + file + ": " + e.getMessage() + ".");
        }
        return parse(file.toString(), content);
    }

    /** The file the texts came from, as used in messages. */
    public String source() {
        return source;
    }

    /** True when the texts change nothing. */
    public boolean isEmpty() {
        return strings.isEmpty() && captions.isEmpty() && controls.isEmpty();
    }

    /** String-table texts by id, sorted. */
    public Map<Integer, String> strings() {
        return texts(strings);
    }

    /** Dialog captions by dialog id, sorted. */
    public Map<Integer, String> captions() {
        return texts(captions);
    }

    /** Control texts by dialog id, then control id, sorted. */
    public Map<Integer, Map<Integer, String>> controlTexts() {
        Map<Integer, Map<Integer, String>> out = new TreeMap<>();
        for (Map.Entry<Integer, Map<Integer, Entry>> dialog : controls.entrySet()) {
            out.put(dialog.getKey(), texts(dialog.getValue()));
        }
        return Collections.unmodifiableMap(out);
    }

    /**
     * The launcher's string table with these texts put in: launcherStrings
     * (id to text, as {@link StringTable#read} gives it) is not changed, the
     * result holds the same ids. Refused, naming file, line and key, when a
     * key names an id the launcher does not have, a text is empty or too long,
     * or its placeholders differ from those of the launcher's text.
     */
    public Map<Integer, String> applyToStrings(Map<Integer, String> launcherStrings) throws BrandException {
        Map<Integer, String> out = new TreeMap<>(launcherStrings);
        for (Map.Entry<Integer, Entry> string : strings.entrySet()) {
            int id = string.getKey();
            Entry entry = string.getValue();
            String original = launcherStrings.get(id);
            if (original == null) {
                throw error(entry, "key " + entry.key + " names text " + id
                        + ", which the launcher's string table does not have");
            }
            if (entry.text.isEmpty()) {
                throw error(entry, "text " + id + " is empty, so the launcher would show nothing;"
                        + " leave the line out to keep the launcher's text");
            }
            if (entry.text.length() > MAX_TEXT_LENGTH) {
                throw error(entry, "text " + id + " is longer than 65535 UTF-16 units");
            }
            String problem = placeholderProblem(id, placeholders(original), placeholders(entry.text));
            if (problem != null) {
                throw error(entry, problem);
            }
            out.put(id, entry.text);
        }
        return Collections.unmodifiableMap(out);
    }

    /**
     * Puts the captions and control texts into the launcher's dialogs (dialog
     * id to parsed template), changing those templates. Everything is checked
     * before anything is changed: a key naming a dialog or control the
     * launcher does not have, a control id several controls share, or a
     * control that shows an icon is refused, naming file, line and key.
     */
    public void applyToDialogs(Map<Integer, DialogTemplate> dialogs) throws BrandException {
        checkDialogs(dialogs);
        for (Map.Entry<Integer, Entry> caption : captions.entrySet()) {
            dialogs.get(caption.getKey()).setCaption(caption.getValue().text);
        }
        for (Map.Entry<Integer, Map<Integer, Entry>> dialog : controls.entrySet()) {
            DialogTemplate template = dialogs.get(dialog.getKey());
            for (Map.Entry<Integer, Entry> control : dialog.getValue().entrySet()) {
                template.setControlText(control.getKey(), control.getValue().text);
            }
        }
    }

    /**
     * Checks these texts against the launcher's strings and dialogs without
     * changing anything; refuses exactly what {@link #applyToStrings} and
     * {@link #applyToDialogs} refuse.
     */
    public void checkAgainst(Map<Integer, String> launcherStrings, Map<Integer, DialogTemplate> dialogs)
            throws BrandException {
        applyToStrings(launcherStrings);
        checkDialogs(dialogs);
    }

    /**
     * The printf conversions of a text in order, as written (e.g. "%s",
     * "%-5d"); "%%" is left out. A '%' that starts no complete conversion
     * still counts, so a stray percent sign is noticed.
     */
    static List<String> placeholders(String text) {
        List<String> found = new ArrayList<>();
        int n = text.length();
        for (int i = 0; i < n; i++) {
            if (text.charAt(i) != '%') {
                continue;
            }
            if (i + 1 < n && text.charAt(i + 1) == '%') {
                i++;
                continue;
            }
            int j = i + 1;
            while (j < n && "-+ #0".indexOf(text.charAt(j)) >= 0) {
                j++;
            }
            j = skipNumber(text, j);
            if (j < n && text.charAt(j) == '.') {
                j = skipNumber(text, j + 1);
            }
            for (String modifier : LENGTH_MODIFIERS) {
                if (text.startsWith(modifier, j)) {
                    j += modifier.length();
                    break;
                }
            }
            if (j < n && Character.isLetter(text.charAt(j))) {
                j++;
            }
            found.add(text.substring(i, j));
            i = j - 1;
        }
        return found;
    }

    private void checkDialogs(Map<Integer, DialogTemplate> dialogs) throws BrandException {
        for (Map.Entry<Integer, Entry> caption : captions.entrySet()) {
            dialog(dialogs, caption.getKey(), caption.getValue());
        }
        for (Map.Entry<Integer, Map<Integer, Entry>> dialog : controls.entrySet()) {
            for (Map.Entry<Integer, Entry> control : dialog.getValue().entrySet()) {
                int id = control.getKey();
                Entry entry = control.getValue();
                DialogTemplate template = dialog(dialogs, dialog.getKey(), entry);
                int count = Collections.frequency(template.controlIds(), id);
                String names = "key " + entry.key + " names control " + id;
                if (count == 0) {
                    throw error(entry, names + ", which dialog " + dialog.getKey() + " of the launcher does not have");
                }
                if (count > 1) {
                    throw error(entry, names + ", but " + count + " controls of dialog " + dialog.getKey()
                            + " have that id, so their texts cannot be told apart");
                }
                if (template.controlText(id) == null) {
                    throw error(entry, names + " of dialog " + dialog.getKey()
                            + ", which shows an icon or bitmap, not a text");
                }
            }
        }
    }

    private DialogTemplate dialog(Map<Integer, DialogTemplate> dialogs, int id, Entry entry) throws BrandException {
        DialogTemplate template = dialogs.get(id);
        if (template == null) {
            throw error(entry, "key " + entry.key + " names dialog " + id
                    + ", which the launcher does not have (it has " + join(new TreeMap<>(dialogs).keySet()) + ")");
        }
        return template;
    }

    private static String placeholderProblem(int id, List<String> wanted, List<String> found) {
        if (wanted.equals(found)) {
            return null;
        }
        List<String> missing = new ArrayList<>(wanted);
        List<String> extra = new ArrayList<>();
        for (String placeholder : found) {
            if (!missing.remove(placeholder)) {
                extra.add(placeholder);
            }
        }
        StringBuilder problem = new StringBuilder("text " + id);
        if (wanted.isEmpty()) {
            problem.append(" must have no placeholders, as the launcher's text has none; it has ")
                    .append(join(found));
        } else {
            problem.append(" must keep the placeholders ").append(join(wanted))
                    .append(" of the launcher's text");
            if (found.isEmpty()) {
                problem.append("; it has none");
            } else {
                problem.append(" in this order; it has ").append(join(found));
                if (!missing.isEmpty() && !extra.isEmpty()) {
                    problem.append(" (missing ").append(join(missing)).append(", extra ").append(join(extra)).append(')');
                } else if (!missing.isEmpty()) {
                    problem.append(" (missing ").append(join(missing)).append(')');
                } else if (!extra.isEmpty()) {
                    problem.append(" (extra ").append(join(extra)).append(')');
                } else {
                    problem.append(" (in another order)");
                }
            }
        }
        if (!extra.isEmpty()) {
            problem.append("; write %% for a percent sign");
        }
        return problem.toString();
    }

    private static MessageTexts parse(String source, byte[] content) throws BrandException {
        MessageTexts texts = new MessageTexts(source);
        CharsetDecoder decoder = StandardCharsets.UTF_8.newDecoder()
                .onMalformedInput(CodingErrorAction.REPORT)
                .onUnmappableCharacter(CodingErrorAction.REPORT);
        int start = content.length >= 3 && (content[0] & 0xFF) == 0xEF && (content[1] & 0xFF) == 0xBB
                && (content[2] & 0xFF) == 0xBF ? 3 : 0;
        int lineNumber = 0;
        while (start < content.length) {
            lineNumber++;
            int end = start;
            while (end < content.length && content[end] != '\n') {
                end++;
            }
            String line;
            try {
                // Decoding line by line lets a broken byte sequence be blamed on its line.
                line = decoder.decode(ByteBuffer.wrap(content, start, end - start)).toString();
            } catch (CharacterCodingException e) {
                throw new BrandException(source + " line " + lineNumber + ": the line is not valid UTF-8.");
            }
            start = end + 1;
            texts.add(line, lineNumber);
        }
        return texts;
    }

    private void add(String line, int lineNumber) throws BrandException {
        String trimmed = line.trim();
        if (trimmed.isEmpty() || trimmed.startsWith("#")) {
            return;
        }
        int equals = trimmed.indexOf('=');
        if (equals < 0) {
            throw new BrandException(source + " line " + lineNumber
                    + ": the line has no '='; entries are written as key = text.");
        }
        String key = trimmed.substring(0, equals).trim();
        Entry entry = new Entry(key, lineNumber, unescape(trimmed.substring(equals + 1).trim(), lineNumber));
        Matcher caption = CAPTION_KEY.matcher(key);
        Matcher control = CONTROL_KEY.matcher(key);
        Entry earlier;
        if (STRING_KEY.matcher(key).matches()) {
            earlier = strings.put(number(key, key, MAX_STRING_ID, lineNumber), entry);
        } else if (caption.matches()) {
            earlier = captions.put(dialogNumber(caption.group(1), key, lineNumber), entry);
        } else if (control.matches()) {
            int dialog = dialogNumber(control.group(1), key, lineNumber);
            int id = number(control.group(2), key, Integer.MAX_VALUE, lineNumber);
            earlier = controls.computeIfAbsent(dialog, d -> new TreeMap<>()).put(id, entry);
        } else {
            throw new BrandException(source + " line " + lineNumber + ": '" + key
                    + "' is not a message key; keys are string ids such as 211, dialog.201.caption"
                    + " or dialog.201.1 (dialog 201, control 1).");
        }
        if (earlier != null) {
            throw new BrandException(source + " line " + lineNumber + ": key " + key
                    + " was already given in line " + earlier.line + ".");
        }
    }

    private int dialogNumber(String digits, String key, int lineNumber) throws BrandException {
        int dialog = number(digits, key, MAX_STRING_ID, lineNumber);
        if (dialog == 0) {
            throw new BrandException(source + " line " + lineNumber + ": key " + key
                    + " names dialog 0; dialog ids run from 1 to 65535.");
        }
        return dialog;
    }

    private int number(String digits, String key, int max, int lineNumber) throws BrandException {
        String value = digits.replaceFirst("^0+(?=.)", "");
        if (value.length() > 10 || Long.parseLong(value) > max) {
            throw new BrandException(source + " line " + lineNumber + ": key " + key + " has the number "
                    + digits + ", which is larger than " + max + ".");
        }
        return Integer.parseInt(value);
    }

    private String unescape(String text, int lineNumber) throws BrandException {
        StringBuilder out = new StringBuilder(text.length());
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c == '\0') {
                throw new BrandException(source + " line " + lineNumber
                        + ": the text contains a NUL character, which a resource cannot hold.");
            }
            if (c != '\\') {
                out.append(c);
                continue;
            }
            if (++i == text.length()) {
                throw new BrandException(source + " line " + lineNumber
                        + ": the text ends with a lone backslash; write \\\\ for a backslash.");
            }
            char next = text.charAt(i);
            if (next == 'n') {
                out.append('\n');
            } else if (next == 't') {
                out.append('\t');
            } else if (next == '\\') {
                out.append('\\');
            } else {
                throw new BrandException(source + " line " + lineNumber + ": \\" + next
                        + " is not an escape; only \\n, \\t and \\\\ are (write \\\\ for a backslash).");
            }
        }
        return out.toString();
    }

    private BrandException error(Entry entry, String problem) {
        return new BrandException(source + " line " + entry.line + ": " + problem + ".");
    }

    private static int skipNumber(String text, int pos) {
        if (pos < text.length() && text.charAt(pos) == '*') {
            return pos + 1;
        }
        while (pos < text.length() && Character.isDigit(text.charAt(pos))) {
            pos++;
        }
        return pos;
    }

    private static Map<Integer, String> texts(Map<Integer, Entry> entries) {
        Map<Integer, String> out = new TreeMap<>();
        for (Map.Entry<Integer, Entry> entry : entries.entrySet()) {
            out.put(entry.getKey(), entry.getValue().text);
        }
        return Collections.unmodifiableMap(out);
    }

    private static String join(Iterable<?> parts) {
        StringBuilder out = new StringBuilder();
        for (Object part : parts) {
            out.append(out.length() == 0 ? "" : ", ").append(part);
        }
        return out.toString();
    }
}
