package launcher.brand;

import static launcher.brand.Checks.carried;
import static launcher.brand.Checks.expect;
import static launcher.brand.Checks.le;
import static launcher.brand.Checks.run;

import java.io.ByteArrayOutputStream;
import java.io.PrintStream;
import java.nio.ByteBuffer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

// The command line on the launchers this tool carries, as a build script
// runs it: what it writes, what it refuses, and that a refusal leaves no
// output. Arguments: the jar (unused here), a work folder, the test pictures.
public final class BrandToolTest {
    private static Path work;
    private static Path pictures;

    public static void main(String[] args) throws Exception {
        work = Checks.workFolder(Paths.get(args[1]));
        pictures = Paths.get(args[2]);
        run("grownResourcesLeaveEverythingElseAsItWas", BrandToolTest::grownResourcesLeaveEverythingElseAsItWas);
        run("settingsAreEmbeddedByUpgradeCodeAndThePairIsNamed", BrandToolTest::settingsAreEmbedded);
        run("aSignedLauncherIsRefusedUnlessItsSignatureIsDropped", BrandToolTest::signedLauncher);
        run("badInputNamesTheFileAndLeavesNoOutput", BrandToolTest::badInput);
        run("theCommandLineExplainsItself", BrandToolTest::commandLine);
        run("consoleMakesTheConsoleFlavourOfBoth", BrandToolTest::consoleFlavour);
        Checks.exit();
    }

    // Runs the command line; the exit code, and standard error in err[0].
    private static int brand(String[] err, String... args) {
        ByteArrayOutputStream errors = new ByteArrayOutputStream();
        int code = Main.run(args, new PrintStream(new ByteArrayOutputStream()), new PrintStream(errors));
        if (err != null) err[0] = new String(errors.toByteArray(), StandardCharsets.UTF_8);
        return code;
    }

    private static void grownResourcesLeaveEverythingElseAsItWas() throws Exception {
        Path ini = work.resolve("big.ini");
        StringBuilder text = new StringBuilder("[Java Runtime Environment]\nMain Class=com.example.App\n");
        for (int i = 0; i < 400; i++) text.append("Key").append(i).append("=value ").append(i).append('\n');
        Files.write(ini, text.toString().getBytes(StandardCharsets.UTF_8));
        String[] err = new String[1];
        int code = brand(err, "--output", work.resolve("App.exe").toString(), "--output64",
                         work.resolve("App64.exe").toString(), "--icon", pictures.resolve("app-256.png").toString(),
                         "--icon", pictures.resolve("app-48.png").toString(), "--settings", ini.toString(),
                         "--product-name", "App", "--product-version", "2024.10");
        expect(code == 0, "exit code " + code + ": " + err[0]);
        compareWithLauncher(carried("launcher.exe"), Files.readAllBytes(work.resolve("App.exe")));
        compareWithLauncher(carried("launcher64.exe"), Files.readAllBytes(work.resolve("App64.exe")));
    }

    // Every section but the resources byte for byte as in the launcher, the
    // relocations moved whole, the headers changed only where sizes and
    // addresses moved, and the checksum that of the new file.
    private static void compareWithLauncher(byte[] original, byte[] branded) throws Exception {
        PeImage before = PeImage.parse(original, "launcher");
        PeImage after = PeImage.parse(branded, "branded");
        expect(after.resourceBytes().length > before.resourceBytes().length + 4096, "the resources grew");
        List<PeImage.Section> old = before.sections();
        List<PeImage.Section> now = after.sections();
        expect(old.size() == now.size(), "same sections");
        byte[] headers = Arrays.copyOf(original, old.get(0).rawPointer);
        ByteBuffer patched = le(headers);
        ByteBuffer result = le(branded);
        for (int i = 0; i < old.size(); i++) {
            PeImage.Section o = old.get(i);
            PeImage.Section n = now.get(i);
            expect(o.name.equals(n.name), "section " + i + " keeps its name");
            if (o.name.equals(".rsrc")) {
                for (int field = 8; field <= 20; field += 4)
                    patched.putInt(o.headerOffset + field, result.getInt(o.headerOffset + field));
                continue;
            }
            expect(Arrays.equals(Arrays.copyOfRange(original, o.rawPointer, o.rawPointer + o.rawSize),
                                 Arrays.copyOfRange(branded, n.rawPointer, n.rawPointer + n.rawSize)),
                   "section " + o.name + " is unchanged");
            expect(o.name.equals(".reloc") || (o.virtualAddress == n.virtualAddress && o.rawPointer == n.rawPointer),
                   "section " + o.name + " stays in place");
            patched.putInt(o.headerOffset + 12, n.virtualAddress);
            patched.putInt(o.headerOffset + 20, n.rawPointer);
        }
        int optional = result.getInt(0x3c) + 24;
        boolean plus = result.getShort(optional) == 0x20b;
        int directories = optional + (plus ? 112 : 96);
        for (int offset : new int[] {optional + 8, optional + 56, optional + 64, directories + 2 * 8 + 4, directories + 5 * 8})
            patched.putInt(offset, result.getInt(offset));
        expect(Arrays.equals(headers, Arrays.copyOf(branded, headers.length)), "only sizes, addresses and checksum change");
        expect(result.getInt(optional + 64) == (int) PeImage.checksum(branded, optional + 64), "the checksum is right");
        PeImage.Section last = now.get(now.size() - 1);
        int alignment = result.getInt(optional + 32);
        expect(result.getInt(optional + 56) == ((last.virtualAddress + last.virtualSize + alignment - 1) & -alignment),
               "the image size ends with the last section");
        expect(branded.length == last.rawPointer + last.rawSize, "nothing follows the last section");
    }

    private static void consoleFlavour() throws Exception {
        String[] err = new String[1];
        for (boolean console : new boolean[] {false, true}) {
            Path out = work.resolve(console ? "Tool.exe" : "Gui.exe");
            Path out64 = work.resolve(console ? "Tool64.exe" : "Gui64.exe");
            int code = console ? brand(err, "--console", "--output", out.toString(), "--output64", out64.toString())
                               : brand(err, "--output", out.toString(), "--output64", out64.toString());
            Checks.expect(code == 0, "exit code " + code + ": " + err[0]);
            for (Path exe : new Path[] {out, out64}) {
                ByteBuffer image = Checks.le(Files.readAllBytes(exe));
                int subsystem = image.getShort(image.getInt(0x3c) + 24 + 68);
                Checks.expect(subsystem == (console ? 3 : 2), exe + " has subsystem " + subsystem);
            }
        }
    }

    private static void settingsAreEmbedded() throws Exception {
        Path ini = work.resolve("utf16.ini");
        String text = "[Product Information]\r\nUpgrade Code={ABC}\r\n[Java Runtime Environment]\r\nMain Class=\u0141.App\r\n";
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        bytes.write(0xff);
        bytes.write(0xfe);
        bytes.write(text.getBytes(StandardCharsets.UTF_16LE));
        Files.write(ini, bytes.toByteArray());
        String[] err = new String[1];
        int code = brand(err, "--output", work.resolve("Pair.exe").toString(), "--output64",
                         work.resolve("Pair64.exe").toString(), "--settings", ini.toString(), "--pair-product");
        expect(code == 0, "exit code " + code + ": " + err[0]);
        Map<String, String> x86 = embedded(work.resolve("Pair.exe"));
        Map<String, String> x64 = embedded(work.resolve("Pair64.exe"));
        expect(x86.keySet().equals(new java.util.HashSet<>(Arrays.asList("", "{ABC}"))), "codes " + x86.keySet());
        expect(x86.get("{ABC}").contains("Main Class=\u0141.App\r\n"), "the text survives: " + x86.get("{ABC}"));
        expect(x86.get("").contains("[Application]\r\nPair Product=Pair64.exe\r\n"), "the pair is named: " + x86.get(""));
        expect(x64.get("").equals(text), "the sibling gets the file as it is: " + x64.get(""));
    }

    private static Map<String, String> embedded(Path exe) throws Exception {
        PeImage image = PeImage.parse(Files.readAllBytes(exe), exe.toString());
        ResourceTree tree = ResourceTree.read(image.resourceBytes(), image.resourceAddress(), exe.toString());
        ByteBuffer block = le(tree.languages(ResourceTree.Key.id(ResourceTree.RT_RCDATA),
                                             ResourceTree.Key.id(SettingsBlock.RESOURCE_ID))
                                  .values().iterator().next().bytes);
        expect(block.getInt() == 0x5445534c && block.getInt() == 1, "the block's header");
        Map<String, String> entries = new TreeMap<>();
        for (int count = block.getInt(); count > 0; count--) {
            String code = utf8(block);
            entries.put(code, utf8(block));
        }
        return entries;
    }

    private static String utf8(ByteBuffer block) {
        byte[] bytes = new byte[block.getInt()];
        block.get(bytes);
        return new String(bytes, StandardCharsets.UTF_8);
    }

    private static void signedLauncher() throws Exception {
        byte[] launcher = carried("launcher.exe");
        ByteBuffer signed = le(new byte[launcher.length + 16]);
        signed.put(launcher).putInt(16).putShort((short) 0x200).putShort((short) 2).putInt(0x12345678);
        int optional = signed.getInt(0x3c) + 24;
        signed.putInt(optional + 96 + 4 * 8, launcher.length).putInt(optional + 96 + 4 * 8 + 4, 16);
        Path input = work.resolve("signed.exe");
        Files.write(input, signed.array());
        Path out = work.resolve("FromSigned.exe");
        String[] err = new String[1];
        int code = brand(err, "--launcher", input.toString(), "--output", out.toString());
        expect(code == 1 && err[0].contains("signed.exe") && err[0].contains("--remove-signature"), code + " " + err[0]);
        expect(!Files.exists(out), "no output");
        code = brand(err, "--launcher", input.toString(), "--output", out.toString(), "--remove-signature");
        expect(code == 0, "exit code " + code + ": " + err[0]);
        byte[] branded = Files.readAllBytes(out);
        expect(!PeImage.parse(branded, "out").isSigned(), "the signature is gone");
        expect(le(branded).getInt(branded.length - 4) != 0x12345678, "the certificate's bytes are gone");
    }

    private static void badInput() throws Exception {
        Path corruptIcon = work.resolve("corrupt.ico");
        Files.write(corruptIcon, new byte[] {0, 0, 1, 0, 5, 0, 16, 16});
        Path hugePicture = work.resolve("huge.png");
        javax.imageio.ImageIO.write(new java.awt.image.BufferedImage(300, 300, java.awt.image.BufferedImage.TYPE_INT_ARGB),
                                    "png", hugePicture.toFile());
        Path latin1 = work.resolve("latin1.ini");
        Files.write(latin1, "[Application]\nProduct=Caf\u00e9\n".getBytes(StandardCharsets.ISO_8859_1));
        Path messages = work.resolve("messages.txt");
        Files.write(messages, "211 = Cannot load the main class.\\n\n".getBytes(StandardCharsets.UTF_8));
        Path input = work.resolve("input.exe");
        Files.write(input, carried("launcher.exe"));
        Path out = work.resolve("Bad.exe");
        String[][] cases = {
            {"corrupt.ico", "--icon", corruptIcon.toString()},
            {"huge.png", "--icon", hugePicture.toString()},
            {"missing.ini", "--settings", work.resolve("missing.ini").toString()},
            {"latin1.ini", "--settings", latin1.toString()},
            {"messages.txt", "--messages", messages.toString()},
            {"input.exe", "--launcher", input.toString(), "--output", input.toString()},
        };
        for (String[] c : cases) {
            List<String> args = new ArrayList<>(Arrays.asList("--output", out.toString()));
            args.addAll(Arrays.asList(c).subList(1, c.length));
            String[] err = new String[1];
            int code = brand(err, args.toArray(new String[0]));
            expect(code == 1, c[0] + ": exit code " + code);
            expect(err[0].contains(c[0]), c[0] + " is named: " + err[0]);
            expect(!Files.exists(out), c[0] + ": no output");
        }
        expect(Arrays.equals(Files.readAllBytes(input), carried("launcher.exe")), "the input is untouched");
        try (java.util.stream.Stream<Path> files = Files.list(work)) {
            expect(files.noneMatch(p -> p.toString().endsWith(".part")), "no half-written file is left");
        }
    }

    private static void commandLine() throws Exception {
        ByteArrayOutputStream help = new ByteArrayOutputStream();
        expect(Main.run(new String[] {"--help"}, new PrintStream(help), System.err) == 0, "--help succeeds");
        for (String option : new String[] {"--output64", "--icon", "--settings", "--messages", "--execution-level",
                                           "--remove-signature", "--arch"})
            expect(help.toString("UTF-8").contains(option), "--help names " + option);
        String[] err = new String[1];
        expect(brand(err, "--colour", "red") == 2 && err[0].contains("--colour"), "an unknown option: " + err[0]);
        expect(brand(err, "--output") == 2 && err[0].contains("--output"), "a missing value: " + err[0]);
        expect(brand(err, "--output", work.resolve("x.exe").toString(), "--execution-level", "admin") == 1
               && err[0].contains("admin"), "a wrong level: " + err[0]);
        expect(brand(err, "--product-name", "x") == 1 && err[0].contains("output"), "no output: " + err[0]);
    }
}
