package launcher.brand;

import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.AtomicMoveNotSupportedException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

// Makes a developer's executables from the launcher: icon, version
// information, manifest, embedded base settings and message texts. Build
// plugins call it as the command line does:
//
//   new Brander().output(Paths.get("MyApp.exe")).output64(Paths.get("MyApp64.exe"))
//                .productName("My App").productVersion("1.2.3-SNAPSHOT")
//                .icon(Paths.get("app.png")).settings(Paths.get("MyApp.ini")).brand();
//
// Nothing is written unless every executable could be made; each output is
// written whole under a temporary name first and then moved into place.
public final class Brander {
    // The resource languages of the message texts.
    private static final int LANGUAGE_NEUTRAL = 0;
    private static final int LANGUAGE_ENGLISH_US = 0x409;

    private Path output;
    private Path output64;
    private boolean outputIsX64;
    private Path launcher;
    private Path launcher64;
    private final List<Path> icons = new ArrayList<>();
    private final Map<String, String> versionStrings = new LinkedHashMap<>();
    private String productVersion = "";
    private String fileVersion = "";
    private final List<Path> settings = new ArrayList<>();
    private String messages = "de";
    private String executionLevel = "asInvoker";
    private boolean longPathAware;
    private boolean removeSignature;
    private boolean pairProduct;
    private boolean console;

    // The executable made from the 32-bit launcher (or the 64-bit one after arch("x64")).
    public Brander output(Path file) {
        output = file;
        return this;
    }

    // The executable made from the 64-bit launcher: the pair product.
    public Brander output64(Path file) {
        output64 = file;
        return this;
    }

    // "x86" (the default) or "x64": which launcher output() is made from.
    public Brander arch(String arch) throws BrandException {
        if (!arch.equals("x86") && !arch.equals("x64"))
            throw new BrandException("The architecture " + arch + " is not x86 or x64.");
        outputIsX64 = arch.equals("x64");
        return this;
    }

    // Another launcher build for output() (instead of the one this tool carries).
    public Brander launcher(Path file) {
        launcher = file;
        return this;
    }

    // Another 64-bit launcher build for output64().
    public Brander launcher64(Path file) {
        launcher64 = file;
        return this;
    }

    // An .ico file or a PNG picture for the main icon; more than one are combined.
    public Brander icon(Path file) {
        icons.add(file);
        return this;
    }

    public Brander productName(String text) {
        return version("ProductName", text);
    }

    public Brander company(String text) {
        return version("CompanyName", text);
    }

    public Brander copyright(String text) {
        return version("LegalCopyright", text);
    }

    public Brander description(String text) {
        return version("FileDescription", text);
    }

    public Brander comments(String text) {
        return version("Comments", text);
    }

    public Brander internalName(String text) {
        return version("InternalName", text);
    }

    public Brander originalFilename(String text) {
        return version("OriginalFilename", text);
    }

    // A version as build tools write it ("1.2.3-SNAPSHOT"): the text is shown
    // as it is, its numbers go into the binary version.
    public Brander productVersion(String version) {
        productVersion = version;
        return this;
    }

    // The file version; the product version when not given.
    public Brander fileVersion(String version) {
        fileVersion = version;
        return this;
    }

    // An INI file embedded as base settings under its own Upgrade Code; the
    // first one also applies when no INI file lies beside the executable.
    public Brander settings(Path file) {
        settings.add(file);
        return this;
    }

    // "de" (as shipped), "en", or the path of a message file.
    public Brander messages(String choice) {
        messages = choice;
        return this;
    }

    public Brander executionLevel(String level) {
        executionLevel = level;
        return this;
    }

    public Brander longPathAware(boolean on) {
        longPathAware = on;
        return this;
    }

    // Brands a signed launcher by dropping its signature (sign the result).
    public Brander removeSignature(boolean on) {
        removeSignature = on;
        return this;
    }

    // Puts Pair Product, naming output64(), into output()'s embedded settings.
    public Brander pairProduct(boolean on) {
        pairProduct = on;
        return this;
    }

    // Makes the console flavour (launcherc.exe, launcher64c.exe) for
    // command-line tools instead of the GUI one.
    public Brander console(boolean on) {
        console = on;
        return this;
    }

    private Brander version(String key, String text) {
        versionStrings.put(key, text);
        return this;
    }

    // Makes the executables.
    public void brand() throws BrandException {
        if (output == null && output64 == null) throw new BrandException("No output executable was given.");
        if (output != null && output64 != null && output.toAbsolutePath().normalize().equals(output64.toAbsolutePath().normalize()))
            throw new BrandException("The two outputs are the same file " + output + ".");
        if (pairProduct && (output == null || output64 == null || outputIsX64))
            throw new BrandException("A pair product needs both a 32-bit output and a 64-bit output.");
        if (!ManifestText.isLevel(executionLevel))
            throw new BrandException("The execution level " + executionLevel
                                     + " is not one of asInvoker, highestAvailable, requireAdministrator.");
        IconSet iconSet = icons.isEmpty() ? null : IconSet.read(icons);
        MessageTexts texts = messages.equals("de") ? null
                             : messages.equals("en") ? MessageTexts.builtIn("en")
                             : MessageTexts.read(java.nio.file.Paths.get(messages));
        int textLanguage = messages.equals("en") ? LANGUAGE_ENGLISH_US : LANGUAGE_NEUTRAL;
        List<SettingsFile> settingsFiles = new ArrayList<>();
        for (Path file : settings) settingsFiles.add(SettingsFile.read(file));

        Map<Path, byte[]> results = new LinkedHashMap<>();
        if (output != null) {
            Input input = input(launcher, outputIsX64);
            SettingsBlock block = settingsBlock(settingsFiles, pairProduct ? output64.getFileName().toString() : null);
            results.put(output, brandOne(input, output, iconSet, texts, textLanguage, block));
        }
        if (output64 != null) {
            Input input = input(launcher64, true);
            results.put(output64, brandOne(input, output64, iconSet, texts, textLanguage, settingsBlock(settingsFiles, null)));
        }
        for (Map.Entry<Path, byte[]> result : results.entrySet()) write(result.getKey(), result.getValue());
    }

    // A launcher's bytes and the name that messages give it.
    private static final class Input {
        final byte[] bytes;
        final String name;
        final Path file;

        Input(byte[] bytes, String name, Path file) {
            this.bytes = bytes;
            this.name = name;
            this.file = file;
        }
    }

    private Input input(Path file, boolean x64) throws BrandException {
        String carried = (x64 ? "launcher64" : "launcher") + (console ? "c" : "") + ".exe";
        Input input;
        if (file != null) {
            try {
                input = new Input(Files.readAllBytes(file), file.toString(), file);
            } catch (IOException e) {
                throw new BrandException("The launcher " + file + " cannot be read: " + e.getMessage() + ".");
            }
        } else {
            try (InputStream in = Brander.class.getResourceAsStream(carried)) {
                if (in == null)
                    throw new BrandException("This tool carries no " + carried + "; give a launcher with --launcher"
                                             + (x64 ? "64" : "") + ".");
                input = new Input(readAll(in), carried + " of launcher-brand", null);
            } catch (IOException e) {
                throw new BrandException("The carried " + carried + " cannot be read: " + e.getMessage() + ".");
            }
        }
        int machine = PeImage.parse(input.bytes, input.name).machine();
        int wanted = x64 ? PeImage.MACHINE_AMD64 : PeImage.MACHINE_I386;
        if (machine != wanted)
            throw new BrandException("The launcher " + input.name + " is not built for " + (x64 ? "x64" : "x86") + ".");
        return input;
    }

    private SettingsBlock settingsBlock(List<SettingsFile> files, String pairName) {
        SettingsBlock block = new SettingsBlock();
        boolean first = true;
        for (SettingsFile file : files) {
            SettingsFile text = pairName == null ? file : file.with("Application", "Pair Product", pairName);
            block.put(text.upgradeCode(), text.text());
            if (first) block.put("", text.text());
            first = false;
        }
        if (files.isEmpty() && pairName != null)
            block.put("", SettingsFile.of("").with("Application", "Pair Product", pairName).text());
        return block;
    }

    private byte[] brandOne(Input input, Path out, IconSet iconSet, MessageTexts texts, int textLanguage,
                            SettingsBlock block) throws BrandException {
        if (input.file != null && sameFile(input.file, out))
            throw new BrandException("The output " + out + " is the launcher it is made from; name another file.");
        PeImage image = PeImage.parse(input.bytes, input.name);
        if (image.isSigned() && !removeSignature)
            throw new BrandException("The launcher " + input.name + " is signed: brand it before signing it, or"
                                     + " drop its signature with --remove-signature and sign the result.");
        ResourceTree tree = ResourceTree.read(image.resourceBytes(), image.resourceAddress(), input.name);
        if (iconSet != null) putIcons(tree, iconSet, input.name);
        putVersion(tree, out);
        putManifest(tree, input.name);
        if (texts != null) putTexts(tree, texts, textLanguage, input.name);
        tree.remove(ResourceTree.Key.id(ResourceTree.RT_RCDATA), ResourceTree.Key.id(SettingsBlock.RESOURCE_ID));
        if (!block.isEmpty())
            tree.put(ResourceTree.Key.id(ResourceTree.RT_RCDATA), ResourceTree.Key.id(SettingsBlock.RESOURCE_ID),
                     LANGUAGE_NEUTRAL, new ResourceTree.Data(block.toBytes(), 0));
        return image.withResources(tree.toSection(image.resourceAddress()), removeSignature);
    }

    // Replaces the first icon group (the one Explorer shows) and its images.
    private static void putIcons(ResourceTree tree, IconSet icons, String what) throws BrandException {
        ResourceTree.Key groupType = ResourceTree.Key.id(ResourceTree.RT_GROUP_ICON);
        ResourceTree.Key iconType = ResourceTree.Key.id(ResourceTree.RT_ICON);
        ResourceTree.Key groupName = ResourceTree.Key.id(1);
        int language = LANGUAGE_NEUTRAL;
        Map<ResourceTree.Key, TreeMap<ResourceTree.Key, ResourceTree.Data>> groups = tree.names(groupType);
        if (!groups.isEmpty()) {
            groupName = groups.keySet().iterator().next();
            Map.Entry<ResourceTree.Key, ResourceTree.Data> old = groups.get(groupName).firstEntry();
            language = old.getKey().id();
            byte[] group = old.getValue().bytes;
            if (group.length < 6) throw new BrandException("The icon group of " + what + " is cut off.");
            int count = (group[4] & 0xff) | (group[5] & 0xff) << 8;
            for (int i = 0; i < count && 6 + 14 * i + 14 <= group.length; i++) {
                int at = 6 + 14 * i + 12;
                tree.remove(iconType, ResourceTree.Key.id((group[at] & 0xff) | (group[at + 1] & 0xff) << 8));
            }
            tree.remove(groupType, groupName);
        }
        int firstId = 1;
        while (!freeIds(tree, iconType, firstId, icons.count())) firstId++;
        for (int i = 0; i < icons.count(); i++)
            tree.put(iconType, ResourceTree.Key.id(firstId + i), language, new ResourceTree.Data(icons.image(i), 0));
        tree.put(groupType, groupName, language, new ResourceTree.Data(icons.groupResource(firstId), 0));
    }

    private static boolean freeIds(ResourceTree tree, ResourceTree.Key type, int first, int count) {
        for (int id = first; id < first + count; id++) {
            if (!tree.languages(type, ResourceTree.Key.id(id)).isEmpty()) return false;
        }
        return true;
    }

    private void putVersion(ResourceTree tree, Path out) throws BrandException {
        ResourceTree.Key type = ResourceTree.Key.id(ResourceTree.RT_VERSION);
        ResourceTree.Key name = ResourceTree.Key.id(1);
        int language = LANGUAGE_NEUTRAL;
        Map<ResourceTree.Key, TreeMap<ResourceTree.Key, ResourceTree.Data>> old = tree.names(type);
        if (!old.isEmpty()) {
            name = old.keySet().iterator().next();
            language = old.get(name).firstKey().id();
            tree.remove(type, name);
        }
        String fileName = out.getFileName().toString();
        String baseName = fileName.contains(".") ? fileName.substring(0, fileName.lastIndexOf('.')) : fileName;
        Map<String, String> strings = new LinkedHashMap<>();
        strings.put("CompanyName", versionStrings.get("CompanyName"));
        strings.put("FileDescription", versionStrings.containsKey("FileDescription") ? versionStrings.get("FileDescription")
                                       : versionStrings.getOrDefault("ProductName", baseName));
        String fileText = fileVersion.isEmpty() ? productVersion : fileVersion;
        String productText = productVersion.isEmpty() ? fileVersion : productVersion;
        strings.put("FileVersion", fileText);
        strings.put("InternalName", versionStrings.getOrDefault("InternalName", baseName));
        strings.put("LegalCopyright", versionStrings.get("LegalCopyright"));
        strings.put("OriginalFilename", versionStrings.getOrDefault("OriginalFilename", fileName));
        strings.put("ProductName", versionStrings.getOrDefault("ProductName", baseName));
        strings.put("ProductVersion", productText);
        strings.put("Comments", versionStrings.get("Comments"));
        VersionInfo info = new VersionInfo();
        try {
            for (Map.Entry<String, String> s : strings.entrySet()) info.set(s.getKey(), s.getValue());
        } catch (IllegalArgumentException e) {
            throw new BrandException("The version information for " + out + " cannot be written: " + e.getMessage());
        }
        info.fileVersion(VersionNumber.parts(fileText)).productVersion(VersionNumber.parts(productText));
        info.prerelease(productText.contains("-"));
        tree.put(type, name, language, new ResourceTree.Data(info.toResource(), 0));
    }

    private void putManifest(ResourceTree tree, String what) throws BrandException {
        ResourceTree.Key type = ResourceTree.Key.id(ResourceTree.RT_MANIFEST);
        ResourceTree.Key name = ResourceTree.Key.id(1);
        Map<ResourceTree.Key, ResourceTree.Data> languages = tree.languages(type, name);
        if (languages.isEmpty()) throw new BrandException("The launcher " + what + " has no manifest.");
        Map.Entry<ResourceTree.Key, ResourceTree.Data> old = ((TreeMap<ResourceTree.Key, ResourceTree.Data>) languages)
                                                              .firstEntry();
        String text = new String(old.getValue().bytes, StandardCharsets.UTF_8);
        String edited = ManifestText.apply(text, executionLevel, longPathAware, what);
        tree.remove(type, name);
        tree.put(type, name, old.getKey().id(), new ResourceTree.Data(edited.getBytes(StandardCharsets.UTF_8), 0));
    }

    private static void putTexts(ResourceTree tree, MessageTexts texts, int language, String what)
        throws BrandException {
        ResourceTree.Key stringType = ResourceTree.Key.id(ResourceTree.RT_STRING);
        Map<Integer, byte[]> blocks = new TreeMap<>();
        for (Map.Entry<ResourceTree.Key, TreeMap<ResourceTree.Key, ResourceTree.Data>> block :
             tree.names(stringType).entrySet())
            blocks.put(block.getKey().id(), block.getValue().firstEntry().getValue().bytes);
        Map<Integer, String> strings = texts.applyToStrings(StringTable.read(blocks, "the string table of " + what));
        for (Integer block : blocks.keySet()) tree.remove(stringType, ResourceTree.Key.id(block));
        for (Map.Entry<Integer, byte[]> block : StringTable.write(strings).entrySet())
            tree.put(stringType, ResourceTree.Key.id(block.getKey()), language, new ResourceTree.Data(block.getValue(), 0));

        ResourceTree.Key dialogType = ResourceTree.Key.id(ResourceTree.RT_DIALOG);
        Map<Integer, DialogTemplate> dialogs = new TreeMap<>();
        for (Map.Entry<ResourceTree.Key, TreeMap<ResourceTree.Key, ResourceTree.Data>> dialog :
             tree.names(dialogType).entrySet())
            dialogs.put(dialog.getKey().id(), DialogTemplate.parse(dialog.getValue().firstEntry().getValue().bytes,
                                                                   "dialog " + dialog.getKey() + " of " + what));
        texts.applyToDialogs(dialogs);
        for (Map.Entry<Integer, DialogTemplate> dialog : dialogs.entrySet()) {
            tree.remove(dialogType, ResourceTree.Key.id(dialog.getKey()));
            tree.put(dialogType, ResourceTree.Key.id(dialog.getKey()), language,
                     new ResourceTree.Data(dialog.getValue().toBytes(), 0));
        }
    }

    private static boolean sameFile(Path a, Path b) {
        try {
            if (Files.exists(b)) return Files.isSameFile(a, b);
        } catch (IOException e) {
            // Cannot tell by identity; the paths decide.
        }
        return a.toAbsolutePath().normalize().equals(b.toAbsolutePath().normalize());
    }

    // The whole file or nothing: a temporary file beside the output, moved
    // over it when complete.
    private static void write(Path out, byte[] bytes) throws BrandException {
        Path folder = out.toAbsolutePath().getParent();
        Path temporary = null;
        try {
            Files.createDirectories(folder);
            temporary = Files.createTempFile(folder, "." + out.getFileName(), ".part");
            Files.write(temporary, bytes);
            // A temporary file is private to its owner; an executable is not.
            if (Files.getFileStore(temporary).supportsFileAttributeView("posix"))
                Files.setPosixFilePermissions(temporary, java.nio.file.attribute.PosixFilePermissions.fromString("rwxr-xr-x"));
            try {
                Files.move(temporary, out, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
            } catch (AtomicMoveNotSupportedException e) {
                Files.move(temporary, out, StandardCopyOption.REPLACE_EXISTING);
            }
            temporary = null;
        } catch (IOException e) {
            throw new BrandException("The executable " + out + " cannot be written: " + e.getMessage() + ".");
        } finally {
            if (temporary != null) {
                try {
                    Files.deleteIfExists(temporary);
                } catch (IOException e) {
                    // The message above already names the output.
                }
            }
        }
    }

    // Everything a stream holds (a resource of the jar).
    static byte[] readAll(InputStream in) throws IOException {
        java.io.ByteArrayOutputStream out = new java.io.ByteArrayOutputStream();
        byte[] buffer = new byte[65536];
        for (int n; (n = in.read(buffer)) != -1;) out.write(buffer, 0, n);
        return out.toByteArray();
    }
}
