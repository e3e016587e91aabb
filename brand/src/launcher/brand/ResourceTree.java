package launcher.brand;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

// The resources of an executable as Windows looks them up: type, name and
// language, each an id or a name, leading to one block of bytes. Read from a
// resource section and written back as one, directories sorted as the
// loader's binary search needs them (names before ids, names compared in
// upper case, ids ascending).
public final class ResourceTree {
    public static final int RT_ICON = 3;
    public static final int RT_STRING = 6;
    public static final int RT_DIALOG = 5;
    public static final int RT_RCDATA = 10;
    public static final int RT_GROUP_ICON = 14;
    public static final int RT_VERSION = 16;
    public static final int RT_MANIFEST = 24;

    private static final int MAX_ENTRIES = 65536;

    // An id or a name: a name is kept in upper case, as FindResource looks it up.
    public static final class Key implements Comparable<Key> {
        final int id;
        final String name;

        private Key(int id, String name) {
            this.id = id;
            this.name = name;
        }

        public static Key id(int id) {
            return new Key(id, null);
        }

        public static Key name(String name) {
            return new Key(-1, name.toUpperCase(java.util.Locale.ROOT));
        }

        public boolean isName() {
            return name != null;
        }

        public int id() {
            return id;
        }

        @Override
        public int compareTo(Key other) {
            if (isName() != other.isName()) return isName() ? -1 : 1;
            return isName() ? name.compareTo(other.name) : Integer.compare(id, other.id);
        }

        @Override
        public boolean equals(Object other) {
            return other instanceof Key && compareTo((Key) other) == 0;
        }

        @Override
        public int hashCode() {
            return isName() ? name.hashCode() : id;
        }

        @Override
        public String toString() {
            return isName() ? name : Integer.toString(id);
        }
    }

    // One resource's bytes and the code page its data entry names.
    public static final class Data {
        public final byte[] bytes;
        public final int codePage;

        public Data(byte[] bytes, int codePage) {
            this.bytes = bytes;
            this.codePage = codePage;
        }
    }

    private final TreeMap<Key, TreeMap<Key, TreeMap<Key, Data>>> types = new TreeMap<>();

    // Reads the resource section at the given address; what names the file.
    public static ResourceTree read(byte[] section, int address, String what) throws BrandException {
        ResourceTree tree = new ResourceTree();
        Reader reader = new Reader(section, address, what);
        for (Map.Entry<Key, Integer> type : reader.directory(0).entrySet()) {
            for (Map.Entry<Key, Integer> name : reader.directory(reader.subdirectory(type.getValue())).entrySet()) {
                for (Map.Entry<Key, Integer> language : reader.directory(reader.subdirectory(name.getValue())).entrySet()) {
                    tree.put(type.getKey(), name.getKey(), language.getKey().id(), reader.data(language.getValue()));
                }
            }
        }
        return tree;
    }

    // The languages of one resource, with their data; empty when absent.
    public Map<Key, Data> languages(Key type, Key name) {
        TreeMap<Key, TreeMap<Key, Data>> names = types.get(type);
        TreeMap<Key, Data> languages = names == null ? null : names.get(name);
        return languages == null ? new TreeMap<Key, Data>() : languages;
    }

    // The resources of one type by name; empty when none.
    public Map<Key, TreeMap<Key, Data>> names(Key type) {
        TreeMap<Key, TreeMap<Key, Data>> names = types.get(type);
        return names == null ? new TreeMap<Key, TreeMap<Key, Data>>() : names;
    }

    public void put(Key type, Key name, int language, Data data) {
        types.computeIfAbsent(type, k -> new TreeMap<>()).computeIfAbsent(name, k -> new TreeMap<>())
             .put(Key.id(language), data);
    }

    // Removes a resource in every language.
    public void remove(Key type, Key name) {
        TreeMap<Key, TreeMap<Key, Data>> names = types.get(type);
        if (names == null) return;
        names.remove(name);
        if (names.isEmpty()) types.remove(type);
    }

    // Lays the tree out as a resource section loaded at address: the
    // directories breadth first, then the data entries, the names and the
    // data, each block of data aligned to 8 bytes.
    public byte[] toSection(int address) {
        List<TreeMap<Key, ?>> directories = new ArrayList<>();
        directories.add(types);
        for (TreeMap<Key, TreeMap<Key, Data>> names : types.values()) directories.add(names);
        for (TreeMap<Key, TreeMap<Key, Data>> names : types.values()) directories.addAll(names.values());

        int directorySize = 0;
        for (TreeMap<Key, ?> d : directories) directorySize += 16 + 8 * d.size();
        List<Data> leaves = new ArrayList<>();
        for (TreeMap<Key, TreeMap<Key, Data>> names : types.values())
            for (TreeMap<Key, Data> languages : names.values()) leaves.addAll(languages.values());
        int dataEntries = directorySize;
        int strings = dataEntries + 16 * leaves.size();
        TreeMap<String, Integer> stringOffsets = new TreeMap<>();
        int stringEnd = strings;
        for (TreeMap<Key, ?> d : directories) {
            for (Key k : d.keySet()) {
                if (k.isName() && !stringOffsets.containsKey(k.name)) {
                    stringOffsets.put(k.name, stringEnd);
                    stringEnd += 2 + 2 * k.name.length();
                }
            }
        }
        int dataStart = align(stringEnd, 8);
        int size = dataStart;
        for (Data leaf : leaves) size = align(size + leaf.bytes.length, 8);

        ByteBuffer out = ByteBuffer.allocate(size).order(ByteOrder.LITTLE_ENDIAN);
        for (Map.Entry<String, Integer> s : stringOffsets.entrySet()) {
            out.position(s.getValue());
            out.putShort((short) s.getKey().length());
            for (char c : s.getKey().toCharArray()) out.putChar(c);
        }
        int nextDirectory = 16 + 8 * types.size();
        int directoryOffset = 0;
        int leafIndex = 0;
        int dataOffset = dataStart;
        for (TreeMap<Key, ?> d : directories) {
            out.position(directoryOffset);
            int named = 0;
            for (Key k : d.keySet()) if (k.isName()) named++;
            out.putInt(0).putInt(0).putShort((short) 0).putShort((short) 0);
            out.putShort((short) named).putShort((short) (d.size() - named));
            for (Map.Entry<Key, ?> e : d.entrySet()) {
                Key k = e.getKey();
                out.putInt(k.isName() ? 0x80000000 | stringOffsets.get(k.name) : k.id);
                if (e.getValue() instanceof Data) {
                    Data leaf = (Data) e.getValue();
                    int entry = dataEntries + 16 * leafIndex++;
                    out.putInt(entry);
                    int back = out.position();
                    out.position(entry);
                    out.putInt(address + dataOffset).putInt(leaf.bytes.length).putInt(leaf.codePage).putInt(0);
                    out.position(dataOffset);
                    out.put(leaf.bytes);
                    dataOffset = align(dataOffset + leaf.bytes.length, 8);
                    out.position(back);
                } else {
                    out.putInt(0x80000000 | nextDirectory);
                    nextDirectory += 16 + 8 * ((TreeMap<?, ?>) e.getValue()).size();
                }
            }
            directoryOffset += 16 + 8 * d.size();
        }
        return out.array();
    }

    private static int align(int value, int alignment) {
        return (value + alignment - 1) & -alignment;
    }

    // Walks a resource section, checking every offset before it is used.
    private static final class Reader {
        private final ByteBuffer in;
        private final int address;
        private final String what;
        private int entriesRead;

        Reader(byte[] section, int address, String what) {
            this.in = ByteBuffer.wrap(section).order(ByteOrder.LITTLE_ENDIAN);
            this.address = address;
            this.what = what;
        }

        // The entries of the directory at offset: key → the entry's pointer
        // (high bit set for a subdirectory).
        Map<Key, Integer> directory(int offset) throws BrandException {
            check(offset, 16);
            int count = (in.getShort(offset + 12) & 0xffff) + (in.getShort(offset + 14) & 0xffff);
            check(offset + 16, 8 * count);
            entriesRead += count;
            if (entriesRead > MAX_ENTRIES) throw bad("too many entries");
            Map<Key, Integer> entries = new TreeMap<>(Comparator.naturalOrder());
            for (int i = 0; i < count; i++) {
                int nameField = in.getInt(offset + 16 + 8 * i);
                int target = in.getInt(offset + 20 + 8 * i);
                Key key;
                if (nameField < 0) {
                    int at = nameField & 0x7fffffff;
                    check(at, 2);
                    int length = in.getShort(at) & 0xffff;
                    check(at + 2, 2 * length);
                    char[] chars = new char[length];
                    for (int c = 0; c < length; c++) chars[c] = in.getChar(at + 2 + 2 * c);
                    key = Key.name(new String(chars));
                } else {
                    key = Key.id(nameField & 0xffff);
                }
                entries.put(key, target);
            }
            return entries;
        }

        // A type or a name points to a directory.
        int subdirectory(int pointer) throws BrandException {
            if (pointer >= 0) throw bad("a resource has too few levels");
            return pointer & 0x7fffffff;
        }

        // A language points to a data entry.
        Data data(int entry) throws BrandException {
            if (entry < 0) throw bad("a resource is nested too deeply");
            check(entry, 16);
            long dataAddress = Integer.toUnsignedLong(in.getInt(entry)) - address;
            int size = in.getInt(entry + 4);
            if (dataAddress < 0 || dataAddress > in.capacity() || size < 0) throw bad("a resource lies outside them");
            check((int) dataAddress, size);
            byte[] bytes = new byte[size];
            in.position((int) dataAddress);
            in.get(bytes);
            return new Data(bytes, in.getInt(entry + 8));
        }

        private void check(int offset, int length) throws BrandException {
            if (offset < 0 || length < 0 || (long) offset + length > in.capacity()) throw bad("they are cut off");
        }

        private BrandException bad(String why) {
            return new BrandException("The resources of " + what + " cannot be read: " + why + ".");
        }
    }
}
