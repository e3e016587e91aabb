package launcher.brand;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

// A Windows executable (PE32 or PE32+) whose resource section can be
// replaced. Everything else stays byte for byte as it was: the sections before
// the resources keep their place, and a base-relocation section after them
// moves as a whole when the resources grow or shrink (nothing refers to its
// own address but the relocation directory). The certificate table of a
// signed file can be dropped; the header checksum is computed anew.
public final class PeImage {
    public static final int MACHINE_I386 = 0x14c;
    public static final int MACHINE_AMD64 = 0x8664;

    private static final int DIRECTORY_RESOURCE = 2;
    private static final int DIRECTORY_SECURITY = 4;
    private static final int DIRECTORY_BASE_RELOCATION = 5;
    private static final int SECTION_HEADER_SIZE = 40;
    private static final int SCN_CNT_INITIALIZED_DATA = 0x40;

    // One section header, as its fields stand in the file.
    static final class Section {
        final int headerOffset;
        String name;
        int virtualSize;
        int virtualAddress;
        int rawSize;
        int rawPointer;
        int characteristics;

        Section(int headerOffset) {
            this.headerOffset = headerOffset;
        }
    }

    private final String what;
    private final byte[] file;
    private final int optionalHeader;
    private final boolean plus;
    private final int machine;
    private final int sectionAlignment;
    private final int fileAlignment;
    private final int directoryCount;
    private final List<Section> sections = new ArrayList<>();

    private PeImage(byte[] file, String what) throws BrandException {
        this.file = file;
        this.what = what;
        if (file.length < 0x40 || file[0] != 'M' || file[1] != 'Z') throw bad("it is not a Windows executable");
        int pe = u32(0x3c);
        if (pe < 0x40 || pe > file.length - 24 || u32(pe) != 0x00004550) throw bad("it has no PE header");
        machine = u16(pe + 4);
        int sectionCount = u16(pe + 6);
        int optionalSize = u16(pe + 20);
        optionalHeader = pe + 24;
        if (optionalHeader + optionalSize > file.length || optionalSize < 96) throw bad("its optional header is cut off");
        int magic = u16(optionalHeader);
        if (magic != 0x10b && magic != 0x20b) throw bad("its optional header has an unknown kind");
        plus = magic == 0x20b;
        sectionAlignment = u32(optionalHeader + 32);
        fileAlignment = u32(optionalHeader + 36);
        if (!isPowerOfTwo(sectionAlignment) || !isPowerOfTwo(fileAlignment) || fileAlignment > sectionAlignment)
            throw bad("its section alignment is not valid");
        directoryCount = u32(optionalHeader + (plus ? 108 : 92));
        if (directoryCount < 0 || directoryOffset(directoryCount) > optionalHeader + optionalSize)
            throw bad("its data directories do not fit its optional header");
        int sectionTable = optionalHeader + optionalSize;
        if (sectionTable + (long) sectionCount * SECTION_HEADER_SIZE > file.length) throw bad("its section table is cut off");
        for (int i = 0; i < sectionCount; i++) {
            Section s = new Section(sectionTable + i * SECTION_HEADER_SIZE);
            s.name = new String(file, s.headerOffset, 8, java.nio.charset.StandardCharsets.ISO_8859_1).replace("\0", "");
            s.virtualSize = u32(s.headerOffset + 8);
            s.virtualAddress = u32(s.headerOffset + 12);
            s.rawSize = u32(s.headerOffset + 16);
            s.rawPointer = u32(s.headerOffset + 20);
            s.characteristics = u32(s.headerOffset + 36);
            if (s.rawSize != 0 && (Integer.toUnsignedLong(s.rawPointer) + Integer.toUnsignedLong(s.rawSize) > file.length))
                throw bad("its section " + s.name + " lies outside the file");
            sections.add(s);
        }
    }

    // Reads an executable; what names it in messages.
    public static PeImage parse(byte[] file, String what) throws BrandException {
        return new PeImage(file.clone(), what);
    }

    public int machine() {
        return machine;
    }

    // True when the file carries a certificate table (an Authenticode signature).
    public boolean isSigned() {
        return directoryCount > DIRECTORY_SECURITY && u32(directoryOffset(DIRECTORY_SECURITY) + 4) != 0;
    }

    // The resource section's bytes, from its start to the end of its data, and
    // the address they are loaded at (resource data entries hold addresses).
    public byte[] resourceBytes() throws BrandException {
        Section s = resourceSection();
        int size = Math.min(s.virtualSize == 0 ? s.rawSize : s.virtualSize, s.rawSize);
        return Arrays.copyOfRange(file, s.rawPointer, s.rawPointer + size);
    }

    public int resourceAddress() throws BrandException {
        return resourceSection().virtualAddress;
    }

    List<Section> sections() {
        return sections;
    }

    // The whole file with the resource section's contents replaced by
    // resources (laid out for resourceAddress()) and, when dropSignature,
    // without its certificate table.
    public byte[] withResources(byte[] resources, boolean dropSignature) throws BrandException {
        if (isSigned() && !dropSignature) throw bad("it is signed; brand it before signing, or drop the signature");
        Section rsrc = resourceSection();
        List<Section> after = new ArrayList<>();
        for (Section s : sections) {
            if (s == rsrc) continue;
            boolean laterInMemory = Integer.compareUnsigned(s.virtualAddress, rsrc.virtualAddress) > 0;
            boolean laterInFile = s.rawSize != 0 && Integer.compareUnsigned(s.rawPointer, rsrc.rawPointer) > 0;
            if (laterInMemory != laterInFile && s.rawSize != 0)
                throw bad("its sections are not in the same order in the file and in memory");
            if (!laterInMemory) continue;
            if (!holdsOnlyBaseRelocations(s))
                throw bad("section " + s.name + " follows the resources, so they cannot change size");
            after.add(s);
        }
        long certificateStart = file.length;
        if (isSigned()) {
            certificateStart = Integer.toUnsignedLong(u32(directoryOffset(DIRECTORY_SECURITY)));
            long end = certificateStart + Integer.toUnsignedLong(u32(directoryOffset(DIRECTORY_SECURITY) + 4));
            if (end != file.length || certificateStart > file.length)
                throw bad("its certificate table is not at the end of the file");
        }
        int oldEnd = rsrc.rawPointer + rsrc.rawSize;
        for (Section s : after) oldEnd = Math.max(oldEnd, s.rawPointer + s.rawSize);
        if (oldEnd > certificateStart) throw bad("its certificate table overlaps its sections");
        byte[] overlay = Arrays.copyOfRange(file, oldEnd, (int) certificateStart);

        int newRawSize = align(resources.length, fileAlignment);
        ByteBuffer out = ByteBuffer.allocate(rsrc.rawPointer + newRawSize + sizeOf(after) + overlay.length)
                                   .order(ByteOrder.LITTLE_ENDIAN);
        out.put(file, 0, rsrc.rawPointer);
        out.put(resources);
        out.position(rsrc.rawPointer + newRawSize);
        int nextAddress = align(rsrc.virtualAddress + resources.length, sectionAlignment);
        int relocationDirectory = directoryCount > DIRECTORY_BASE_RELOCATION ? u32(directoryOffset(DIRECTORY_BASE_RELOCATION)) : 0;
        for (Section s : after) {
            int moved = nextAddress - s.virtualAddress;
            int rawPointer = out.position();
            out.put(file, s.rawPointer, s.rawSize);
            out.putInt(s.headerOffset + 12, nextAddress);
            out.putInt(s.headerOffset + 20, rawPointer);
            if (relocationDirectory != 0 && inside(s, relocationDirectory))
                out.putInt(directoryOffset(DIRECTORY_BASE_RELOCATION), relocationDirectory + moved);
            nextAddress = align(nextAddress + memorySize(s), sectionAlignment);
        }
        out.put(overlay);

        out.putInt(rsrc.headerOffset + 8, resources.length);
        out.putInt(rsrc.headerOffset + 16, newRawSize);
        out.putInt(directoryOffset(DIRECTORY_RESOURCE) + 4, resources.length);
        if ((rsrc.characteristics & SCN_CNT_INITIALIZED_DATA) != 0)
            out.putInt(optionalHeader + 8, u32(optionalHeader + 8) + newRawSize - rsrc.rawSize);
        int imageEnd = 0;
        for (Section s : sections) {
            int address = out.getInt(s.headerOffset + 12);
            int size = s == rsrc ? resources.length : memorySize(s);
            imageEnd = Math.max(imageEnd, align(address + size, sectionAlignment));
        }
        out.putInt(optionalHeader + 56, imageEnd);
        if (isSigned()) {
            out.putInt(directoryOffset(DIRECTORY_SECURITY), 0);
            out.putInt(directoryOffset(DIRECTORY_SECURITY) + 4, 0);
        }
        byte[] result = out.array();
        writeChecksum(result, optionalHeader + 64);
        return result;
    }

    // The checksum Windows checks for drivers and signing tools report: the
    // file summed in 16-bit words with carries folded back in, the checksum
    // field itself left out, plus the file's length.
    static long checksum(byte[] data, int checksumOffset) {
        long sum = 0;
        for (int i = 0; i + 1 < data.length; i += 2) {
            if (i == checksumOffset || i == checksumOffset + 2) continue;
            sum += (data[i] & 0xff) | ((data[i + 1] & 0xff) << 8);
            sum = (sum & 0xffff) + (sum >>> 16);
        }
        if ((data.length & 1) != 0) {
            sum += data[data.length - 1] & 0xff;
            sum = (sum & 0xffff) + (sum >>> 16);
        }
        sum = (sum & 0xffff) + (sum >>> 16);
        return sum + data.length;
    }

    // Where the header checksum lies in a file of this layout.
    int checksumOffset() {
        return optionalHeader + 64;
    }

    private static void writeChecksum(byte[] data, int offset) {
        long sum = checksum(data, offset);
        ByteBuffer.wrap(data).order(ByteOrder.LITTLE_ENDIAN).putInt(offset, (int) sum);
    }

    private Section resourceSection() throws BrandException {
        if (directoryCount <= DIRECTORY_RESOURCE) throw bad("it has no resources");
        int address = u32(directoryOffset(DIRECTORY_RESOURCE));
        if (address == 0) throw bad("it has no resources");
        for (Section s : sections) {
            if (s.virtualAddress == address) return s;
        }
        throw bad("its resources do not begin a section of their own");
    }

    private boolean holdsOnlyBaseRelocations(Section s) {
        if (directoryCount <= DIRECTORY_BASE_RELOCATION) return false;
        int address = u32(directoryOffset(DIRECTORY_BASE_RELOCATION));
        int size = u32(directoryOffset(DIRECTORY_BASE_RELOCATION) + 4);
        if (address != s.virtualAddress || size <= 0) return false;
        // No other directory may point into it.
        for (int i = 0; i < directoryCount; i++) {
            if (i == DIRECTORY_BASE_RELOCATION || i == DIRECTORY_SECURITY) continue;
            int other = u32(directoryOffset(i));
            if (other != 0 && inside(s, other)) return false;
        }
        return true;
    }

    private static boolean inside(Section s, int address) {
        long offset = Integer.toUnsignedLong(address) - Integer.toUnsignedLong(s.virtualAddress);
        return offset >= 0 && offset < Math.max(Integer.toUnsignedLong(s.virtualSize), Integer.toUnsignedLong(s.rawSize));
    }

    private static int memorySize(Section s) {
        return s.virtualSize != 0 ? s.virtualSize : s.rawSize;
    }

    private static int sizeOf(List<Section> list) {
        int total = 0;
        for (Section s : list) total += s.rawSize;
        return total;
    }

    private int directoryOffset(int index) {
        return optionalHeader + (plus ? 112 : 96) + index * 8;
    }

    private int u16(int offset) {
        return (file[offset] & 0xff) | ((file[offset + 1] & 0xff) << 8);
    }

    private int u32(int offset) {
        return u16(offset) | (u16(offset + 2) << 16);
    }

    private static int align(int value, int alignment) {
        return (value + alignment - 1) & -alignment;
    }

    private static boolean isPowerOfTwo(int value) {
        return value > 0 && (value & (value - 1)) == 0;
    }

    private BrandException bad(String why) {
        return new BrandException(what + " cannot be branded: " + why + ".");
    }
}
