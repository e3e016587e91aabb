package launcher.brand;

import java.awt.image.BufferedImage;
import java.io.ByteArrayInputStream;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.file.AccessDeniedException;
import java.nio.file.FileSystemException;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import javax.imageio.ImageIO;
import javax.imageio.stream.MemoryCacheImageInputStream;

/**
 * The images of an executable's main icon, read from .ico files and PNG
 * pictures, as the RT_ICON resources and the RT_GROUP_ICON directory that
 * names them.
 * <p>
 * Each image is either a PNG stream or a DIB (a BITMAPINFOHEADER, the colour
 * table, the XOR bitmap and the AND mask, the height counted twice). Images
 * are ordered by width, widest first, then by bits per pixel, most first.
 * Two images of the same width and bits per pixel cannot both be told apart
 * by Windows, so the one read later wins, whether it comes from a later file
 * or later in the same .ico. A PNG image counts as 32 bits per pixel, which
 * is what Windows decodes it to.
 */
public final class IconSet {
    private static final long MAX_FILE_SIZE = 16 << 20;
    private static final int MAX_SIDE = 256;
    private static final int BITMAPINFOHEADER_SIZE = 40;
    private static final int BI_RGB = 0;
    private static final int BI_BITFIELDS = 3;
    private static final byte[] PNG_SIGNATURE = {(byte) 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

    private final List<byte[]> images;
    private final int[] widths;
    private final int[] heights;
    private final int[] bitCounts;

    private IconSet(List<byte[]> images) {
        this.images = images;
        widths = new int[images.size()];
        heights = new int[images.size()];
        bitCounts = new int[images.size()];
        for (int i = 0; i < images.size(); i++) {
            byte[] image = images.get(i);
            boolean png = isPng(image);
            widths[i] = png ? s32be(image, 16) : s32(image, 4);
            heights[i] = png ? s32be(image, 20) : s32(image, 8) / 2;
            bitCounts[i] = png ? 32 : u16(image, 14);
        }
    }

    /**
     * Reads the images of the files, in their order. A file is a .ico or a
     * PNG picture, told apart by its content and not by its name. A PNG
     * picture may be 1 to 256 pixels on each side; one of 256 pixels wide or
     * high is kept as PNG, a smaller one becomes a 32-bit DIB so that shells
     * without PNG icons show it too. Throws BrandException, naming the file,
     * when a file cannot be read or is not a valid icon or picture, and when
     * no file is given.
     */
    public static IconSet read(List<Path> files) throws BrandException {
        if (files.isEmpty()) {
            throw new BrandException("No icon file was given for the executable's icon.");
        }
        Map<Integer, byte[]> chosen = new HashMap<Integer, byte[]>();
        for (Path file : files) {
            byte[] data = load(file);
            if (startsWith(data, PNG_SIGNATURE)) {
                choose(chosen, fromPicture(file, data));
            } else if (data.length >= 4 && u16(data, 0) == 0 && u16(data, 2) == 1) {
                for (byte[] image : fromIcon(file, data)) {
                    choose(chosen, image);
                }
            } else {
                throw new BrandException("The icon file " + file
                        + " is neither a Windows icon (.ico) nor a PNG picture.");
            }
        }
        List<Integer> keys = new ArrayList<Integer>(chosen.keySet());
        Collections.sort(keys, Collections.reverseOrder());
        List<byte[]> images = new ArrayList<byte[]>();
        for (Integer key : keys) {
            images.add(chosen.get(key));
        }
        return new IconSet(images);
    }

    /** The number of images. */
    public int count() {
        return images.size();
    }

    /** The bytes of image i as an RT_ICON resource. */
    public byte[] image(int i) {
        return images.get(i).clone();
    }

    /** The width of image i in pixels, 1..256. */
    public int width(int i) {
        return widths[i];
    }

    /** The height of image i in pixels, 1..256. */
    public int height(int i) {
        return heights[i];
    }

    /** The bits per pixel of image i: 1, 4, 8, 16, 24 or 32. */
    public int bitCount(int i) {
        return bitCounts[i];
    }

    /**
     * The RT_GROUP_ICON resource: a GRPICONDIR and one GRPICONDIRENTRY per
     * image, image i named by the RT_ICON id firstIconId + i. Throws
     * IllegalArgumentException when those ids do not all lie in 1..65535.
     */
    public byte[] groupResource(int firstIconId) {
        if (firstIconId < 1 || firstIconId + count() - 1 > 0xFFFF) {
            throw new IllegalArgumentException("Icon ids from " + firstIconId + " for " + count()
                    + " images do not fit in 1..65535");
        }
        ByteBuffer out = ByteBuffer.allocate(6 + 14 * count()).order(ByteOrder.LITTLE_ENDIAN);
        out.putShort((short) 0).putShort((short) 1).putShort((short) count());
        for (int i = 0; i < count(); i++) {
            // A side of 256 does not fit the byte and is written as 0; palette
            // sizes only below 8 bits, as Windows expects.
            out.put((byte) (widths[i] == MAX_SIDE ? 0 : widths[i]))
                .put((byte) (heights[i] == MAX_SIDE ? 0 : heights[i]))
                .put((byte) (bitCounts[i] < 8 ? 1 << bitCounts[i] : 0))
                .put((byte) 0)
                .putShort((short) 1)
                .putShort((short) bitCounts[i])
                .putInt(images.get(i).length)
                .putShort((short) (firstIconId + i));
        }
        return out.array();
    }

    private static void choose(Map<Integer, byte[]> chosen, byte[] image) {
        boolean png = isPng(image);
        int width = png ? s32be(image, 16) : s32(image, 4);
        int bits = png ? 32 : u16(image, 14);
        // Sorting these keys from the top gives widest first, then most bits.
        chosen.put(width << 8 | bits, image);
    }

    private static byte[] load(Path file) throws BrandException {
        try {
            long size = Files.size(file);
            if (size > MAX_FILE_SIZE) {
                throw new BrandException("The icon file " + file + " is " + size
                        + " bytes long, more than any icon needs; it cannot be an icon.");
            }
            return Files.readAllBytes(file);
        } catch (NoSuchFileException e) {
            throw new BrandException("The icon file " + file + " does not exist.");
        } catch (AccessDeniedException e) {
            throw new BrandException("The icon file " + file + " cannot be read: access denied.");
        } catch (IOException e) {
            throw new BrandException("The icon file " + file + " cannot be read: " + why(e) + ".");
        }
    }

    private static List<byte[]> fromIcon(Path file, byte[] data) throws BrandException {
        String name = "The icon file " + file;
        if (data.length < 6) {
            throw new BrandException(name + " is truncated: it ends inside its header.");
        }
        int count = u16(data, 4);
        if (count == 0) {
            throw new BrandException(name + " contains no images.");
        }
        long directoryEnd = 6 + 16L * count;
        if (directoryEnd > data.length) {
            throw new BrandException(name + " is truncated: its directory of " + count + " images needs "
                    + directoryEnd + " bytes, the file has " + data.length + ".");
        }
        List<byte[]> images = new ArrayList<byte[]>();
        for (int i = 0; i < count; i++) {
            int entry = 6 + 16 * i;
            long size = u32(data, entry + 8);
            long offset = u32(data, entry + 12);
            if (size == 0 || offset < directoryEnd || offset + size > data.length) {
                throw new BrandException(name + " is damaged: image " + (i + 1) + " (" + size
                        + " bytes at offset " + offset + ") lies outside the image data of the file, which has "
                        + data.length + " bytes.");
            }
            byte[] image = Arrays.copyOfRange(data, (int) offset, (int) (offset + size));
            String problem = isPng(image) ? pngProblem(image) : dibProblem(image);
            if (problem != null) {
                throw new BrandException(name + " cannot be used: image " + (i + 1) + " " + problem + ".");
            }
            images.add(image);
        }
        return images;
    }

    private static byte[] fromPicture(Path file, byte[] data) throws BrandException {
        String name = "The picture " + file;
        String problem = pngProblem(data);
        if (problem != null) {
            throw new BrandException(name + " cannot be an icon: it " + problem + ".");
        }
        BufferedImage picture;
        try {
            picture = ImageIO.read(new MemoryCacheImageInputStream(new ByteArrayInputStream(data)));
        } catch (IOException | RuntimeException e) {
            // The PNG decoder reports some damaged streams with runtime exceptions.
            throw new BrandException(name + " is not a readable PNG picture: " + why(e) + ".");
        }
        if (picture == null) {
            throw new BrandException(name + " is not a readable PNG picture.");
        }
        // Decoded even when kept as it is, so that a damaged stream is found
        // here and not by Explorer.
        if (picture.getWidth() == MAX_SIDE || picture.getHeight() == MAX_SIDE) {
            return data;
        }
        return dib(picture);
    }

    // The reason alone: a FileSystemException's message repeats the path.
    private static String why(Exception e) {
        String reason = e instanceof FileSystemException ? ((FileSystemException) e).getReason() : e.getMessage();
        return reason != null ? reason : e.getClass().getSimpleName();
    }

    // A 32-bit DIB: BGRA rows bottom-up, then the AND mask, set where the
    // pixel is fully transparent, for shells that ignore the alpha.
    private static byte[] dib(BufferedImage picture) {
        int width = picture.getWidth();
        int height = picture.getHeight();
        int maskStride = (width + 31) / 32 * 4;
        int pixelBytes = width * height * 4 + maskStride * height;
        ByteBuffer out = ByteBuffer.allocate(BITMAPINFOHEADER_SIZE + pixelBytes).order(ByteOrder.LITTLE_ENDIAN);
        out.putInt(BITMAPINFOHEADER_SIZE).putInt(width).putInt(2 * height).putShort((short) 1)
            .putShort((short) 32).putInt(BI_RGB).putInt(pixelBytes).putInt(0).putInt(0).putInt(0).putInt(0);
        int[] argb = picture.getRGB(0, 0, width, height, null, 0, width);
        for (int y = height - 1; y >= 0; y--) {
            for (int x = 0; x < width; x++) {
                int pixel = argb[y * width + x];
                out.put((byte) pixel).put((byte) (pixel >> 8)).put((byte) (pixel >> 16)).put((byte) (pixel >>> 24));
            }
        }
        for (int y = height - 1; y >= 0; y--) {
            byte[] row = new byte[maskStride];
            for (int x = 0; x < width; x++) {
                if (argb[y * width + x] >>> 24 == 0) {
                    row[x >> 3] |= 0x80 >>> (x & 7);
                }
            }
            out.put(row);
        }
        return out.array();
    }

    // What is wrong with a PNG stream's header, said after "it", or null.
    private static String pngProblem(byte[] png) {
        if (png.length < 33 || s32be(png, 8) != 13 || png[12] != 'I' || png[13] != 'H' || png[14] != 'D'
                || png[15] != 'R') {
            return "is a PNG stream without a valid header";
        }
        long width = s32be(png, 16) & 0xFFFFFFFFL;
        long height = s32be(png, 20) & 0xFFFFFFFFL;
        if (width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE) {
            return "is " + width + " x " + height + " pixels; an icon image can be at most 256 x 256";
        }
        return null;
    }

    // What is wrong with a DIB icon image, said after "it", or null.
    private static String dibProblem(byte[] dib) {
        int headerSize = dib.length < 4 ? 0 : s32(dib, 0);
        if (dib.length < BITMAPINFOHEADER_SIZE || headerSize < BITMAPINFOHEADER_SIZE || headerSize > dib.length) {
            return "is neither a PNG stream nor a bitmap with a BITMAPINFOHEADER";
        }
        int width = s32(dib, 4);
        int doubleHeight = s32(dib, 8);
        int bits = u16(dib, 14);
        int compression = s32(dib, 16);
        int colorsUsed = s32(dib, 32);
        if (width < 1 || width > MAX_SIDE || doubleHeight < 2 || doubleHeight > 2 * MAX_SIDE
                || doubleHeight % 2 != 0) {
            return "is a bitmap of width " + width + " and height " + doubleHeight
                    + " (twice the icon's), which no icon of at most 256 x 256 pixels has";
        }
        if (Arrays.binarySearch(new int[] {1, 4, 8, 16, 24, 32}, bits) < 0
                || (compression != BI_RGB && compression != BI_BITFIELDS)) {
            return "is a bitmap of " + bits + " bits per pixel with compression " + compression
                    + ", which Windows cannot show as an icon";
        }
        int height = doubleHeight / 2;
        long colors = bits <= 8 ? (colorsUsed >= 1 && colorsUsed <= 1 << bits ? colorsUsed : 1 << bits) : 0;
        long masks = compression == BI_BITFIELDS && headerSize == BITMAPINFOHEADER_SIZE ? 12 : 0;
        long needed = headerSize + masks + 4 * colors + (long) ((width * bits + 31) / 32 * 4) * height
                + (long) ((width + 31) / 32 * 4) * height;
        if (dib.length < needed) {
            return "is a " + width + " x " + height + " bitmap of " + bits + " bits per pixel that needs "
                    + needed + " bytes but has " + dib.length;
        }
        return null;
    }

    private static boolean isPng(byte[] image) {
        return startsWith(image, PNG_SIGNATURE);
    }

    private static boolean startsWith(byte[] data, byte[] prefix) {
        return data.length >= prefix.length && Arrays.equals(Arrays.copyOf(data, prefix.length), prefix);
    }

    private static int u16(byte[] b, int at) {
        return (b[at] & 0xFF) | (b[at + 1] & 0xFF) << 8;
    }

    private static int s32(byte[] b, int at) {
        return u16(b, at) | u16(b, at + 2) << 16;
    }

    private static long u32(byte[] b, int at) {
        return s32(b, at) & 0xFFFFFFFFL;
    }

    private static int s32be(byte[] b, int at) {
        return (b[at] & 0xFF) << 24 | (b[at + 1] & 0xFF) << 16 | (b[at + 2] & 0xFF) << 8 | (b[at + 3] & 0xFF);
    }
}
