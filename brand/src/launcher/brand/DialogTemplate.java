package launcher.brand;

import java.io.ByteArrayOutputStream;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;

/**
 * A DIALOGEX template (RT_DIALOG resource) read far enough to change its
 * caption and the texts of its controls. Everything else (styles, positions,
 * class names, font, creation data) is kept as read, so a template whose
 * texts were not changed writes back byte for byte. Old-style DLGTEMPLATE
 * resources are refused.
 */
public final class DialogTemplate {
    private static final int DS_SETFONT = 0x40;
    private static final int HEADER_SIZE = 26;
    private static final int ITEM_FIXED_SIZE = 24;
    private static final int STYLE_OFFSET = 12;
    private static final int COUNT_OFFSET = 16;
    private static final int ITEM_STYLE_OFFSET = 8;
    private static final int ITEM_ID_OFFSET = 20;

    private final String what;
    private final byte[] header;
    private final NameOrOrdinal menu;
    private final NameOrOrdinal windowClass;
    private String caption;
    private final byte[] font;
    private final String typeface;
    private final List<Item> items;
    private final byte[] tail;
    private final boolean tailIsAlignment;

    /** A sz_Or_Ord field: a string, or 0xFFFF and a 16-bit ordinal. */
    private static final class NameOrOrdinal {
        final String text;
        final int ordinal;

        NameOrOrdinal(String text, int ordinal) {
            this.text = text;
            this.ordinal = ordinal;
        }
    }

    /** One DLGITEMTEMPLATEEX; fixed holds helpID through id as read. */
    private static final class Item {
        final byte[] fixed;
        final int id;
        final NameOrOrdinal windowClass;
        NameOrOrdinal title;
        final byte[] extra;

        Item(byte[] fixed, NameOrOrdinal windowClass, NameOrOrdinal title, byte[] extra) {
            this.fixed = fixed;
            this.id = intAt(fixed, ITEM_ID_OFFSET);
            this.windowClass = windowClass;
            this.title = title;
            this.extra = extra;
        }
    }

    /** Reads little-endian values from the resource and says where it ran out. */
    private static final class Reader {
        final byte[] bytes;
        final String what;
        int pos;

        Reader(byte[] bytes, String what) {
            this.bytes = bytes;
            this.what = what;
        }

        void need(int count, String field) throws BrandException {
            if (pos + count > bytes.length) {
                throw new BrandException("Cannot read " + what + ": the template ends inside " + field
                        + " (offset " + pos + " of " + bytes.length + " bytes).");
            }
        }

        int u16(String field) throws BrandException {
            need(2, field);
            int value = (bytes[pos] & 0xFF) | (bytes[pos + 1] & 0xFF) << 8;
            pos += 2;
            return value;
        }

        byte[] take(int count, String field) throws BrandException {
            need(count, field);
            byte[] part = Arrays.copyOfRange(bytes, pos, pos + count);
            pos += count;
            return part;
        }

        String sz(String field) throws BrandException {
            StringBuilder text = new StringBuilder();
            for (int unit = u16(field); unit != 0; unit = u16(field)) {
                text.append((char) unit);
            }
            return text.toString();
        }

        NameOrOrdinal szOrOrd(String field) throws BrandException {
            need(2, field);
            if ((bytes[pos] & 0xFF) == 0xFF && (bytes[pos + 1] & 0xFF) == 0xFF) {
                pos += 2;
                return new NameOrOrdinal(null, u16(field));
            }
            return new NameOrOrdinal(sz(field), -1);
        }

        void align(String field) throws BrandException {
            pos = (pos + 3) & ~3;
            need(0, field);
        }
    }

    private DialogTemplate(String what, byte[] header, NameOrOrdinal menu, NameOrOrdinal windowClass,
            String caption, byte[] font, String typeface, List<Item> items, byte[] tail,
            boolean tailIsAlignment) {
        this.what = what;
        this.header = header;
        this.menu = menu;
        this.windowClass = windowClass;
        this.caption = caption;
        this.font = font;
        this.typeface = typeface;
        this.items = items;
        this.tail = tail;
        this.tailIsAlignment = tailIsAlignment;
    }

    /**
     * Parses a DIALOGEX template. what names the dialog in messages, e.g.
     * "dialog 201 of launcher.exe". Refuses old-style templates and templates
     * that end before their last control.
     */
    public static DialogTemplate parse(byte[] resource, String what) throws BrandException {
        Reader in = new Reader(resource, what);
        in.need(4, "the template header");
        if (u16At(resource, 2) != 0xFFFF) {
            throw new BrandException("Cannot read " + what
                    + ": it is an old-style DLGTEMPLATE; only DIALOGEX templates can be rebranded.");
        }
        if (u16At(resource, 0) != 1) {
            throw new BrandException("Cannot read " + what + ": it is a DIALOGEX template of version "
                    + u16At(resource, 0) + "; only version 1 is known.");
        }
        byte[] header = in.take(HEADER_SIZE, "the template header");
        NameOrOrdinal menu = in.szOrOrd("the menu name");
        NameOrOrdinal windowClass = in.szOrOrd("the window class");
        String caption = in.sz("the caption");
        byte[] font = null;
        String typeface = null;
        // DS_SHELLFONT includes DS_SETFONT, so one bit decides.
        if ((intAt(header, STYLE_OFFSET) & DS_SETFONT) != 0) {
            font = in.take(6, "the font");
            typeface = in.sz("the font name");
        }
        int count = u16At(header, COUNT_OFFSET);
        List<Item> items = new ArrayList<>(count);
        for (int i = 1; i <= count; i++) {
            String field = "control " + i + " of " + count;
            in.align(field);
            byte[] fixed = in.take(ITEM_FIXED_SIZE, field);
            NameOrOrdinal itemClass = in.szOrOrd(field);
            NameOrOrdinal title = in.szOrOrd(field);
            byte[] extra = in.take(in.u16(field), field);
            items.add(new Item(fixed, itemClass, title, extra));
        }
        byte[] tail = Arrays.copyOfRange(resource, in.pos, resource.length);
        boolean tailIsAlignment = tail.length > 0 && tail.length < 4 && resource.length % 4 == 0;
        for (byte b : tail) {
            tailIsAlignment &= b == 0;
        }
        return new DialogTemplate(what, header, menu, windowClass, caption, font, typeface, items, tail,
                tailIsAlignment);
    }

    /** The dialog's caption (title bar text). */
    public String caption() {
        return caption;
    }

    /** Replaces the caption; a text with a NUL character cannot be stored and is refused. */
    public void setCaption(String text) throws BrandException {
        checkStorable(text, "the caption");
        caption = text;
    }

    /** The dialog's window style (DS_* and WS_* bits). */
    public int style() {
        return intAt(header, STYLE_OFFSET);
    }

    /** The ids of the controls in template order; an id may occur more than once (e.g. -1). */
    public List<Integer> controlIds() {
        List<Integer> ids = new ArrayList<>(items.size());
        for (Item item : items) {
            ids.add(item.id);
        }
        return Collections.unmodifiableList(ids);
    }

    /**
     * The text of the one control with this id, or null when its title is an
     * ordinal (an icon or bitmap reference).
     *
     * @throws IllegalArgumentException when no control or several have this id
     */
    public String controlText(int id) {
        return only(id).title.text;
    }

    /**
     * The window style of the one control with this id.
     *
     * @throws IllegalArgumentException when no control or several have this id
     */
    public int controlStyle(int id) {
        return intAt(only(id).fixed, ITEM_STYLE_OFFSET);
    }

    /**
     * Replaces the text of the one control with this id. Refused when no
     * control or several have the id, when the control's title is an ordinal
     * (an icon or bitmap), or when the text holds a NUL character.
     */
    public void setControlText(int id, String text) throws BrandException {
        Item target = null;
        int found = 0;
        for (Item item : items) {
            if (item.id == id) {
                target = item;
                found++;
            }
        }
        if (found == 0) {
            throw new BrandException("Cannot change the text of control " + id + " in " + what
                    + ": the dialog has no such control.");
        }
        if (found > 1) {
            throw new BrandException("Cannot change the text of control " + id + " in " + what
                    + ": " + found + " controls have that id.");
        }
        if (target.title.text == null) {
            throw new BrandException("Cannot change the text of control " + id + " in " + what
                    + ": it shows an icon or bitmap (ordinal " + target.title.ordinal + "), not a text.");
        }
        String field = "control " + id;
        checkStorable(text, field);
        // A title starting with U+FFFF would read back as an ordinal.
        if (text.startsWith("\uFFFF")) {
            throw new BrandException("Cannot change the text of " + field + " in " + what
                    + ": a text must not start with U+FFFF.");
        }
        target.title = new NameOrOrdinal(text, -1);
    }

    /** The template as resource bytes, with the current caption and control texts. */
    public byte[] toBytes() {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.write(header, 0, header.length);
        writeSzOrOrd(out, menu);
        writeSzOrOrd(out, windowClass);
        writeSz(out, caption);
        if (font != null) {
            out.write(font, 0, font.length);
            writeSz(out, typeface);
        }
        for (Item item : items) {
            pad(out);
            out.write(item.fixed, 0, item.fixed.length);
            writeSzOrOrd(out, item.windowClass);
            writeSzOrOrd(out, item.title);
            writeU16(out, item.extra.length);
            out.write(item.extra, 0, item.extra.length);
        }
        // Padding that only rounded the end up to a DWORD is recomputed, since
        // changed texts move the end; other trailing bytes are kept as they were.
        if (tailIsAlignment) {
            pad(out);
        } else {
            out.write(tail, 0, tail.length);
        }
        return out.toByteArray();
    }

    private Item only(int id) {
        Item found = null;
        for (Item item : items) {
            if (item.id == id) {
                if (found != null) {
                    throw new IllegalArgumentException(what + " has several controls with id " + id);
                }
                found = item;
            }
        }
        if (found == null) {
            throw new IllegalArgumentException(what + " has no control " + id);
        }
        return found;
    }

    private void checkStorable(String text, String field) throws BrandException {
        if (text.indexOf('\0') >= 0) {
            throw new BrandException("Cannot change the text of " + field + " in " + what
                    + ": a text must not contain a NUL character.");
        }
    }

    private static void pad(ByteArrayOutputStream out) {
        while (out.size() % 4 != 0) {
            out.write(0);
        }
    }

    private static void writeU16(ByteArrayOutputStream out, int value) {
        out.write(value);
        out.write(value >> 8);
    }

    private static void writeSz(ByteArrayOutputStream out, String text) {
        for (int i = 0; i < text.length(); i++) {
            writeU16(out, text.charAt(i));
        }
        writeU16(out, 0);
    }

    private static void writeSzOrOrd(ByteArrayOutputStream out, NameOrOrdinal field) {
        if (field.text == null) {
            writeU16(out, 0xFFFF);
            writeU16(out, field.ordinal);
        } else {
            writeSz(out, field.text);
        }
    }

    private static int u16At(byte[] bytes, int offset) {
        return (bytes[offset] & 0xFF) | (bytes[offset + 1] & 0xFF) << 8;
    }

    private static int intAt(byte[] bytes, int offset) {
        return u16At(bytes, offset) | u16At(bytes, offset + 2) << 16;
    }
}
