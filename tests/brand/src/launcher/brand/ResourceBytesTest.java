package launcher.brand;

import static java.nio.charset.StandardCharsets.UTF_16LE;
import static java.nio.charset.StandardCharsets.UTF_8;
import static launcher.brand.Checks.expect;
import static launcher.brand.Checks.le;
import static launcher.brand.Checks.run;

import java.awt.image.BufferedImage;
import java.io.ByteArrayOutputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import javax.imageio.ImageIO;

/**
 * The bytes of the version and icon resources; where windres and icotool are
 * installed, they write or read the same resources on their own.
 * Arguments: the jar (unused), a work folder, the test pictures (unused).
 */
public final class ResourceBytesTest {
    private static final String WINDRES = "/usr/bin/x86_64-w64-mingw32-windres";
    private static final String ICOTOOL = "/usr/bin/icotool";
    private static final String TEXT = "\u0141\u00f3d\u017a \u88fd\u54c1 \ud83d\ude00";
    private static final String[] STRINGS = {"CompanyName", TEXT, "FileDescription", "Description",
        "FileVersion", "1.2.3.4", "ProductName", "Product", "ProductVersion", "5.6.7-SNAPSHOT"};
    private static final int KNOWN = 0x80FF4020;
    private static final int FILL = 0xFF336699;
    private static final int[] WIDTHS = {256, 64, 48, 32, 16, 16};
    private static final int[] BITS = {32, 32, 32, 32, 32, 4};
    private static Path work;
    private static byte[] resource;
    private static IconSet set;
    private static final List<byte[]> IMAGES = new ArrayList<>();

    public static void main(String[] args) throws Exception {
        work = Checks.workFolder(Paths.get(args[1]));
        run("version numbers", ResourceBytesTest::versionNumbers);
        run("version strings round trip", ResourceBytesTest::versionStrings);
        run("version fixed info", ResourceBytesTest::fixedInfo);
        run("version block lengths", () -> {
            List<String> keys = new ArrayList<>();
            expect(walk(resource, 0, resource.length, keys) == resource.length, "the root ends early");
            expect(keys.toString().equals("[VS_VERSION_INFO, StringFileInfo, 040904B0, CompanyName, FileDescription,"
                + " FileVersion, ProductName, ProductVersion, VarFileInfo, Translation]"), "blocks " + keys);
        });
        if (Files.isExecutable(Paths.get(WINDRES)))
            run("windres writes the same version block", ResourceBytesTest::windres);
        else Checks.skip("windres: " + WINDRES + " is not installed");
        icons();
        Checks.exit();
    }

    private static void versionNumbers() {
        String[][] examples = {{"1.2.3", "1.2.3.0"}, {"1.2.3-SNAPSHOT", "1.2.3.0"}, {"2024.10", "2024.10.0.0"},
            {"1.2.3.4.5", "1.2.3.4"}, {"v2.0", "2.0.0.0"}, {"V7", "7.0.0.0"}, {"1.0-rc1", "1.0.0.0"},
            {"SNAPSHOT", "0.0.0.0"}, {"", "0.0.0.0"}, {null, "0.0.0.0"}, {"20241015", "65535.0.0.0"},
            {"1.2.3-4", "1.2.3.4"}, {"1.2-5", "1.2.0.5"}, {"1.2.3.4-5", "1.2.3.4"}, {"1..2", "1.0.0.0"}};
        List<String> wrong = new ArrayList<>();
        for (String[] e : examples)
            if (!VersionNumber.dotted(VersionNumber.parts(e[0])).equals(e[1])) wrong.add("\"" + e[0] + "\"");
        expect(wrong.isEmpty(), "wrong parts of " + String.join(", ", wrong));
    }

    private static void versionStrings() {
        // Comments, InternalName and LegalCopyright are taken out again; a key set again keeps its first place.
        VersionInfo info = new VersionInfo().fileVersion(new int[] {1, 2, 3, 4}).productVersion(new int[] {5, 6, 7, 8})
            .set("CompanyName", "first").set("Comments", "later taken out").set("FileDescription", "first");
        for (int i = 0; i < STRINGS.length; i += 2) info.set(STRINGS[i], STRINGS[i + 1]);
        resource = info.set("InternalName", "").set("LegalCopyright", null).set("Comments", "").toResource();
        String strings = VersionInfo.readStrings(resource).toString();
        expect(strings.equals("{CompanyName=" + TEXT + ", FileDescription=Description, FileVersion=1.2.3.4, "
            + "ProductName=Product, ProductVersion=5.6.7-SNAPSHOT}"), "strings " + strings);
        expect(Arrays.equals(VersionInfo.readFileVersion(resource), new int[] {1, 2, 3, 4}), "the file version");
    }

    private static void fixedInfo() {
        int[] fixed = new int[13];
        ByteBuffer.wrap(resource, 40, 52).slice().order(ByteOrder.LITTLE_ENDIAN).asIntBuffer().get(fixed);
        expect(Arrays.equals(fixed, new int[] {0xFEEF04BD, 0x10000, 1 << 16 | 2, 3 << 16 | 4, 5 << 16 | 6,
            7 << 16 | 8, 0x3F, 2, 0x40004, 1, 0, 0, 0}), "fixed info " + Arrays.toString(fixed));
        // The flags at 68: the brander always says whether it is a prerelease, which must win over the '-'.
        expect(le(new VersionInfo().set("ProductVersion", "1.0-rc1").prerelease(false).toResource()).getInt(68) == 0
            && le(new VersionInfo().prerelease(true).toResource()).getInt(68) == 2, "prerelease() is not followed");
    }

    // Checks that the block at `at` starts on a DWORD inside its parent and that
    // its value, or else its children one after another on DWORDs, end exactly
    // where its length says; collects the keys. Gives its end.
    private static int walk(byte[] b, int at, int limit, List<String> keys) {
        ByteBuffer block = le(b);
        int end = at + (block.getShort(at) & 0xFFFF), valueLength = block.getShort(at + 2), key = at + 6;
        while (block.getShort(key) != 0) key += 2;
        String name = new String(b, at + 6, key - at - 6, UTF_16LE);
        keys.add(name);
        expect(at % 4 == 0 && end <= limit, name + " at " + at + " ends at " + end + ", its parent at " + limit);
        boolean text = block.getShort(at + 4) == 1;
        int last = ((key + 5) & ~3) + (text ? 2 * valueLength : valueLength);
        expect(!text || valueLength == 0 || block.getShort(last - 2) == 0, "the text of " + name + " has no NUL");
        for (int child = (last + 3) & ~3; child < end; child = (last + 3) & ~3) last = walk(b, child, end, keys);
        expect(last == end, name + " ends at " + end + ", its content at " + last);
        return end;
    }

    private static void windres() throws Exception {
        StringBuilder rc = new StringBuilder("#pragma code_page(65001)\n1 VERSIONINFO\nFILEVERSION 1,2,3,4\n"
            + "PRODUCTVERSION 5,6,7,8\nFILEFLAGSMASK 0x3F\nFILEFLAGS 2\nFILEOS 0x40004\nFILETYPE 1\nFILESUBTYPE 0\n"
            + "BEGIN\nBLOCK \"StringFileInfo\"\nBEGIN\nBLOCK \"040904B0\"\nBEGIN\n");
        for (int i = 0; i < STRINGS.length; i += 2)
            rc.append("VALUE \"").append(STRINGS[i]).append("\", \"").append(STRINGS[i + 1]).append("\"\n");
        rc.append("END\nEND\nBLOCK \"VarFileInfo\"\nBEGIN\nVALUE \"Translation\", 0x0409, 1200\nEND\nEND\n");
        Path script = Files.write(work.resolve("version.rc"), rc.toString().getBytes(UTF_8));
        Checks.output(WINDRES, "-O", "res", "-o", work.resolve("version.res").toString(), script.toString());
        // A .res file starts with an empty resource of 32 bytes; then each is its data size, header
        // size, type and name, and data.
        ByteBuffer res = le(Files.readAllBytes(work.resolve("version.res")));
        int data = 32 + res.getInt(36);
        expect(res.getShort(40) == -1 && res.getShort(42) == 16, "windres wrote no version resource first");
        byte[] version = Arrays.copyOfRange(res.array(), data, data + res.getInt(32));
        expect(Arrays.equals(version, resource), "windres wrote " + version.length + " other bytes");
    }

    private static void icons() throws Exception {
        List<byte[]> own = Arrays.asList(png(64), dib4(), png(48));
        byte[] icon = ico(group(new int[] {64, 16, 48}, new int[] {32, 4, 32}, own, 1), own);
        List<Path> files = new ArrayList<>(Arrays.asList(Files.write(work.resolve("in.ico"), icon)));
        for (int size : new int[] {16, 32, 48, 256})
            files.add(Files.write(work.resolve("p" + size + ".png"), png(size)));
        run("icon images kept as they were", () -> {
            set = IconSet.read(files);
            for (int i = 0; i < set.count(); i++) IMAGES.add(set.image(i));
            expect(IMAGES.size() == 6 && Arrays.equals(IMAGES.get(0), Files.readAllBytes(files.get(4)))
                && Arrays.equals(IMAGES.get(1), own.get(0)) && Arrays.equals(IMAGES.get(5), own.get(1)),
                "not the 256 px PNG, the .ico's PNG and its DIB as they were, in this order");
        });
        run("icon group", () -> expect(Arrays.equals(set.groupResource(7), group(WIDTHS, BITS, IMAGES, 7)),
            "the group resource differs"));
        run("icon of a later file wins", () -> expect(IMAGES.get(2).length == 40 + 48 * 48 * 4 + 8 * 48,
            "the 48 px image is not the DIB made of p48.png"));
        run("icon picture as DIB", () -> {
            ByteBuffer dib = le(IMAGES.get(3));
            int mask = 40 + 32 * 32 * 4;
            // Rows run bottom-up, pixels are BGRA (ARGB read little-endian): the known pixel (3, 5),
            // an opaque one (10, 10); the mask is set for the clear pixel (0, 0) only.
            int[] got = {dib.capacity(), dib.getInt(0), dib.getInt(4), dib.getInt(8), dib.getShort(12),
                dib.getShort(14), dib.getInt(16), dib.getInt(40 + (26 * 32 + 3) * 4),
                dib.getInt(40 + (21 * 32 + 10) * 4), dib.get(mask + 31 * 4) & 0xFF, dib.get(mask + 26 * 4)};
            expect(Arrays.equals(got, new int[] {mask + 4 * 32, 40, 32, 64, 1, 32, 0, KNOWN, FILL, 0x80, 0}),
                "header, pixels, mask " + Arrays.toString(got));
        });
        if (Files.isExecutable(Paths.get(ICOTOOL))) icotool();
        else Checks.skip("icotool: " + ICOTOOL + " is not installed");
        List<byte[]> blank = Arrays.asList(new byte[40]);
        Object[][] refusals = {{"big.png", png(300), "300 x 300"}, {"text.ico", "no icon".getBytes(UTF_8), "neither"},
            {"cut.ico", Arrays.copyOf(icon, icon.length - 10), "image 3"},
            {"empty.ico", new byte[] {0, 0, 1, 0, 0, 0}, "no images"},
            {"zero.ico", ico(group(new int[] {16}, new int[] {32}, blank, 1), blank), "image 1 is neither"},
            {"missing.ico", null, "does not exist"}};
        run("icon refusals name the file", () -> {
            for (Object[] r : refusals) {
                Path file = work.resolve((String) r[0]);
                if (r[1] != null) Files.write(file, (byte[]) r[1]);
                Checks.refused(() -> IconSet.read(Arrays.asList(file)), file.toString(), (String) r[2]);
            }
        });
    }

    // The .ico is made of the group resource's entries, so icotool reads what the shell will.
    private static void icotool() throws Exception {
        Path written = Files.write(work.resolve("out.ico"), ico(set.groupResource(1), IMAGES));
        StringBuilder listing = new StringBuilder();
        for (int i = 0; i < WIDTHS.length; i++) {
            listing.append(String.format("--icon --index=%d --width=%d --height=%2$d --bit-depth=%d"
                + " --palette-size=%d\n", i + 1, WIDTHS[i], BITS[i], BITS[i] == 4 ? 16 : 0));
        }
        run("icotool lists the group", () -> {
            String listed = new String(Checks.output(ICOTOOL, "-l", written.toString()), UTF_8);
            expect(listed.equals(listing.toString()), "icotool lists " + listed);
        });
        // All at once: with -i, icotool 0.32 extracts the wrong image behind a PNG one.
        run("icotool reads the 32-bit images", () -> {
            Checks.output(ICOTOOL, "-x", "-o", Files.createDirectory(work.resolve("x")).toString(), written.toString());
            for (int i = 0; i < 5; i++) {
                String name = "out_" + (i + 1) + "_" + WIDTHS[i] + "x" + WIDTHS[i] + "x32.png";
                BufferedImage picture = ImageIO.read(work.resolve("x").resolve(name).toFile());
                int[] got = {picture.getWidth(), picture.getRGB(3, 5), picture.getRGB(10, 10),
                    picture.getRGB(0, 0) >>> 24};
                expect(Arrays.equals(got, new int[] {WIDTHS[i], KNOWN, FILL, 0}), name + " " + Arrays.toString(got));
            }
        });
    }

    // A square picture in FILL with the KNOWN pixel at (3, 5) and (0, 0) clear.
    private static byte[] png(int size) throws Exception {
        BufferedImage picture = new BufferedImage(size, size, BufferedImage.TYPE_INT_ARGB);
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) picture.setRGB(x, y, x == 0 && y == 0 ? 0 : x == 3 && y == 5 ? KNOWN : FILL);
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        ImageIO.write(picture, "png", out);
        return out.toByteArray();
    }

    // A 16 x 16 image of 4 bits per pixel: header, 16 greys, XOR rows of a pattern, AND rows all clear.
    private static byte[] dib4() {
        ByteBuffer dib = le(new byte[40 + 64 + 128 + 64]).putInt(40).putInt(16).putInt(32).putShort((short) 1)
            .putShort((short) 4).putInt(0).putInt(192);
        for (int i = 0; i < 16; i++) dib.putInt(40 + 4 * i, i * 0x111111);
        for (int i = 0; i < 128; i++) dib.put(104 + i, (byte) (i * 37));
        return dib.array();
    }

    // A GRPICONDIR of square images, with a palette size only below 8 bits and the ids from first.
    private static byte[] group(int[] widths, int[] bits, List<byte[]> images, int first) {
        ByteBuffer out = le(new byte[6 + 14 * images.size()]).putShort(2, (short) 1).putShort(4, (short) images.size());
        out.position(6);
        for (int i = 0; i < images.size(); i++) {
            out.put((byte) widths[i]).put((byte) widths[i]).put((byte) (bits[i] < 8 ? 1 << bits[i] : 0))
                .put((byte) 0).putShort((short) 1).putShort((short) bits[i]).putInt(images.get(i).length)
                .putShort((short) (first + i));
        }
        return out.array();
    }

    // The .ico of the images with the entries of the GRPICONDIR: the same but for the offset in place of the id.
    private static byte[] ico(byte[] group, List<byte[]> images) {
        int offset = 6 + 16 * images.size();
        ByteBuffer out = le(new byte[offset + images.stream().mapToInt(image -> image.length).sum()]);
        out.put(group, 0, 6);
        for (int i = 0; i < images.size(); i++) {
            out.put(group, 6 + 14 * i, 12).putInt(offset);
            System.arraycopy(images.get(i), 0, out.array(), offset, images.get(i).length);
            offset += images.get(i).length;
        }
        return out.array();
    }
}
