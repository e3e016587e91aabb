package launcher.brand;

import static java.nio.charset.StandardCharsets.UTF_8;
import static launcher.brand.Checks.expect;
import static launcher.brand.Checks.refused;
import static launcher.brand.Checks.run;

import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;
import java.util.Collections;
import java.util.Map;
import java.util.Set;
import java.util.TreeMap;
import java.util.TreeSet;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * StringTable, DialogTemplate and MessageTexts on hand-made data and on the
 * resources of the launcher64.exe the tool carries, read with wrestool.
 * Arguments: the jar (unused), a work folder, the source tree's tests/brand/pictures.
 */
public final class MessagesTest {
    private static final Map<Integer, String> LAUNCHER = new TreeMap<>();
    private static Path work;
    private static Path exe;
    private static final Map<Integer, byte[]> REAL_BLOCKS = new TreeMap<>();
    private static byte[] real201;
    private static byte[] real231;

    public static void main(String[] args) throws Exception {
        LAUNCHER.put(202, "Windows Fehler: %s (Fehlernummer = %d).\n");
        LAUNCHER.put(211, "Konnte die Main Class: %s nicht laden.\n");
        LAUNCHER.put(217, "neueste Version");
        work = Checks.workFolder(Paths.get(args[1]));
        Path header = Paths.get(args[2]).resolve("../../../resources/resource.h").normalize();
        run("string table round trip", MessagesTest::stringTableRoundTrip);
        run("string table refuses a truncated block", () -> refused(() -> StringTable.read(
                Collections.singletonMap(13, new byte[] {5, 0, 'a', 0}), "launcher.exe"),
                "launcher.exe", "block 13", "string 192"));
        run("message file entries and escapes", MessagesTest::messageFileEntries);
        if (!Files.isExecutable(Paths.get("/usr/bin/wrestool"))) {
            Checks.skip("the real resources: /usr/bin/wrestool is not installed");
            run("message file refusals", () -> refusals(null));
            Checks.exit();
        }
        run("read the resources of the carried launcher64.exe", MessagesTest::loadRealResources);
        run("real string table", () -> {
            Map<Integer, String> strings = StringTable.read(REAL_BLOCKS, "launcher64.exe");
            expect(strings.keySet().equals(idsIn(header)), "ids " + strings.keySet());
            expect(strings.get(228).equals("nicht genügend Arbeitsspeicher"), "228 is " + strings.get(228));
            Map<Integer, byte[]> written = StringTable.write(strings);
            expect(written.keySet().equals(REAL_BLOCKS.keySet()), "blocks " + written.keySet());
            for (int block : REAL_BLOCKS.keySet())
                expect(Arrays.equals(written.get(block), REAL_BLOCKS.get(block)), "block " + block + " differs");
        });
        run("real dialogs round trip", MessagesTest::realDialogsRoundTrip);
        run("real dialog edits", MessagesTest::realDialogEdits);
        run("English texts fit the launcher", () -> englishFitsLauncher(header));
        run("message file refusals", () -> refusals(DialogTemplate.parse(real231, "dialog 231")));
        Checks.exit();
    }

    private static void stringTableRoundTrip() throws Exception {
        Map<Integer, String> texts = new TreeMap<>();
        texts.put(16, "A");
        texts.put(31, "Grüße, Привет, 日本語 \uD83D\uDE00");
        texts.put(210, "x\ny");
        Map<Integer, byte[]> blocks = StringTable.write(texts);
        expect(blocks.keySet().equals(new TreeSet<>(Arrays.asList(2, 14))), "blocks " + blocks.keySet());
        byte[] block = blocks.get(2);
        int last = texts.get(31).length();
        // Ids 17 to 30 of block 2 are absent: a zero length each, between the first and the last.
        expect(block.length == 32 + 2 + 2 * last, "block 2 has " + block.length + " bytes");
        expect(Arrays.equals(Arrays.copyOf(block, 6), new byte[] {1, 0, 'A', 0, 0, 0}), "start of block 2");
        expect((block[32] & 0xFF) == last && block[33] == 0 && block[34] == 'G' && block[38] == (byte) 0xFC,
                "string 31 at the end of block 2");
        expect(StringTable.read(blocks).equals(texts), "read back " + StringTable.read(blocks));
    }

    private static void messageFileEntries() throws Exception {
        MessageTexts m = messages("\uFEFF# comment\n\n  211 =  Kann %s nicht laden:\\t\\\\x\\n  \r\n"
                + "202=100%% sicher: %s (%d)\ndialog.201.caption = = Titel =\ndialog.231.1 = Los\n");
        expect(m.strings().get(211).equals("Kann %s nicht laden:\t\\x\n"), "211 is " + m.strings().get(211));
        expect(m.captions().equals(Collections.singletonMap(201, "= Titel =")), "captions " + m.captions());
        expect(m.controlTexts().equals(Collections.singletonMap(231, Collections.singletonMap(1, "Los"))),
                "controls " + m.controlTexts());
        Map<Integer, String> applied = m.applyToStrings(LAUNCHER);
        expect(applied.get(202).equals("100%% sicher: %s (%d)") && applied.get(217).equals("neueste Version")
                && applied.size() == 3, "applied " + applied);
        expect(MessageTexts.builtIn("de").isEmpty(), "the built-in de changes something");
        refused(() -> MessageTexts.builtIn("fr"), "'fr'");
    }

    // Each row: the file, what it is applied to (read, strings, dialogs), and
    // what the refusal must say; every refusal names the file and line.
    private static void refusals(DialogTemplate real231) throws Exception {
        String[][] cases = {
            {"# c\n\n211 = Could not load the main class.\n", "strings", "messages.txt line 3: ",
                "text 211 must keep the placeholders %s of the launcher's text; it has none"},
            {"202 = Windows error: %s (code %d, %d)\n", "strings", "messages.txt line 1: ", "(extra %d)", "%%"},
            {"202 = Windows error: %d (code %s)\n", "strings", "messages.txt line 1: ", "in another order"},
            {"217 = %s latest\n", "strings", "messages.txt line 1: ", "must have no placeholders", "it has %s"},
            {"999 = hello\n", "strings", "messages.txt line 1: ", "key 999", "string table"},
            {"217 =\n", "strings", "messages.txt line 1: ", "text 217 is empty"},
            {"211 = a %s\n211 = b %s\n", "read", "messages.txt line 2: ", "line 1"},
            {"\n211 Could not load %s\n", "read", "messages.txt line 2: ", "'='"},
            {"211 = a \\q b\n", "read", "messages.txt line 1: ", "\\q"},
            {"211 = \\", "read", "messages.txt line 1: ", "backslash"},
            {"dialog.201.x = y\n", "read", "messages.txt line 1: ", "'dialog.201.x'"},
            {"#\ndialog.231.999 = x", "dialogs", "messages.txt line 2: key dialog.231.999 names control 999"},
            {"#\ndialog.231.204 = x", "dialogs", "messages.txt line 2: ", "icon"},
            {"#\ndialog.300.caption = x", "dialogs", "messages.txt line 2: ", "dialog 300", "231"}};
        for (String[] c : cases) {
            if (c[1].equals("dialogs") && real231 == null) continue;
            refused(() -> {
                MessageTexts m = messages(c[0]);
                if (c[1].equals("strings")) m.applyToStrings(LAUNCHER);
                if (c[1].equals("dialogs")) m.applyToDialogs(Collections.singletonMap(231, real231));
            }, Arrays.copyOfRange(c, 2, c.length));
        }
        Files.write(work.resolve("messages.txt"), new byte[] {'#', '\n', '2', '1', '1', '=', (byte) 0xC3, '('});
        refused(() -> MessageTexts.read(work.resolve("messages.txt")), "messages.txt line 2: ", "UTF-8");
        refused(() -> MessageTexts.read(work.resolve("absent.txt")), "absent.txt", "does not exist");
    }

    private static void realDialogsRoundTrip() throws Exception {
        for (byte[] real : Arrays.asList(real201, real231))
            expect(Arrays.equals(DialogTemplate.parse(real, "launcher64.exe").toBytes(), real), "a round trip differs");
        DialogTemplate exception = DialogTemplate.parse(real231, "dialog 231 of launcher64.exe");
        expect(exception.caption().equals("Java Fehler") && exception.controlText(2).equals("Stop")
                && exception.controlIds().equals(Arrays.asList(1, 2, 209, 204, 210, 208, 211, 212)), "fields");
        refused(() -> DialogTemplate.parse(Arrays.copyOf(real231, 300), "dialog 231 of launcher64.exe"),
                "dialog 231 of launcher64.exe", "ends inside control");
    }

    private static void realDialogEdits() throws Exception {
        DialogTemplate before = DialogTemplate.parse(real231, "dialog 231");
        DialogTemplate dialog = DialogTemplate.parse(real231, "dialog 231 of launcher64.exe");
        // Control 1 comes first, so its new length moves every later control.
        dialog.setCaption("Java-Fehler \u2615");
        dialog.setControlText(1, "Weiter \u2192");
        DialogTemplate after = DialogTemplate.parse(dialog.toBytes(), "edited dialog");
        expect(after.caption().equals("Java-Fehler \u2615") && after.controlText(1).equals("Weiter \u2192"),
                "edits not read back");
        expect(after.controlIds().equals(before.controlIds()) && after.style() == before.style(), "ids or style");
        for (int id : before.controlIds())
            expect(after.controlStyle(id) == before.controlStyle(id) && (id == 1
                    || String.valueOf(after.controlText(id)).equals(String.valueOf(before.controlText(id)))),
                    "style or text of control " + id);
        dialog.setCaption("Java Fehler");
        dialog.setControlText(1, "Ignorieren");
        expect(Arrays.equals(dialog.toBytes(), real231), "undone edits do not give the original bytes");
        refused(() -> dialog.setControlText(204, "x"), "dialog 231 of launcher64.exe", "icon");
        refused(() -> dialog.setControlText(77, "x"), "dialog 231 of launcher64.exe", "no such control");
    }

    private static void englishFitsLauncher(Path header) throws Exception {
        MessageTexts english = MessageTexts.builtIn("en");
        Map<Integer, String> strings = StringTable.read(REAL_BLOCKS, "launcher64.exe");
        expect(english.strings().keySet().equals(idsIn(header)), "English has " + english.strings().keySet());
        expect(english.applyToStrings(strings).equals(english.strings()), "applied strings differ from the file");
        Map<Integer, DialogTemplate> dialogs = new TreeMap<>();
        for (int d : new int[] {201, 231}) {
            DialogTemplate dialog = DialogTemplate.parse(d == 201 ? real201 : real231, "dialog " + d);
            Set<Integer> shown = new TreeSet<>();
            for (int id : dialog.controlIds()) {
                String text = dialog.controlText(id);
                // Control 205 of dialog 201 is the download address, the same in every language.
                if (text != null && !text.isEmpty() && !(d == 201 && id == 205)) shown.add(id);
            }
            Set<Integer> covered = english.controlTexts().get(d).keySet();
            expect(covered.equals(shown), "English for dialog " + d + " covers " + covered + ", it shows " + shown);
            dialogs.put(d, dialog);
        }
        english.applyToDialogs(dialogs);
        for (int d : dialogs.keySet()) {
            DialogTemplate reread = DialogTemplate.parse(dialogs.get(d).toBytes(), "dialog " + d);
            expect(reread.caption().equals(english.captions().get(d)), "caption of dialog " + d);
            for (Map.Entry<Integer, String> control : english.controlTexts().get(d).entrySet())
                expect(reread.controlText(control.getKey()).equals(control.getValue()), "dialog " + d + ": " + control);
        }
    }

    private static MessageTexts messages(String content) throws Exception {
        return MessageTexts.read(Files.write(work.resolve("messages.txt"), content.getBytes(UTF_8)));
    }

    private static Set<Integer> idsIn(Path header) throws Exception {
        Set<Integer> ids = new TreeSet<>();
        Matcher m = Pattern.compile("#define IDS_\\w+ (\\d+)").matcher(new String(Files.readAllBytes(header), UTF_8));
        while (m.find()) ids.add(Integer.parseInt(m.group(1)));
        return ids;
    }

    private static void loadRealResources() throws Exception {
        exe = work.resolve("launcher64.exe");
        try (InputStream carried = Brander.class.getResourceAsStream("launcher64.exe")) {
            expect(carried != null, "the class path holds no launcher64.exe next to Brander");
            Files.copy(carried, exe);
        }
        Matcher names = Pattern.compile("--name=(\\d+)").matcher(new String(
                Checks.output("/usr/bin/wrestool", "-l", "-t", "6", exe.toString()), UTF_8));
        while (names.find()) REAL_BLOCKS.put(Integer.parseInt(names.group(1)), resource(6, names.group(1)));
        real201 = resource(5, "201");
        real231 = resource(5, "231");
    }

    private static byte[] resource(int type, String name) throws Exception {
        byte[] bytes = Checks.output("/usr/bin/wrestool", "-x", "--raw", "-t", "" + type, "-n", name, exe.toString());
        expect(bytes.length > 0, "launcher64.exe has no resource " + name + " of type " + type);
        return bytes;
    }
}
