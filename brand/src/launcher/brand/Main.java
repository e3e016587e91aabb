package launcher.brand;

import java.io.IOException;
import java.io.InputStream;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Paths;

// java -jar launcher-brand.jar --output MyApp.exe [options]: see --help.
// Exits 0 when every executable was made, 1 with a message on standard error
// when one could not be, 2 for a command line it does not understand.
public final class Main {
    private static final String USAGE =
        "Usage: java -jar launcher-brand.jar --output MyApp.exe [--output64 MyApp64.exe] [options]\n"
        + "\n"
        + "Makes your application's executables from the launcher: its icon, version information,\n"
        + "manifest, embedded settings and message texts.\n"
        + "\n"
        + "  --output FILE            the executable made from the 32-bit launcher (x64 with --arch x64)\n"
        + "  --output64 FILE          the executable made from the 64-bit launcher (the pair product)\n"
        + "  --arch x86|x64           which launcher --output is made from (default x86)\n"
        + "  --console                make the console flavour, for command-line tools (launcherc.exe)\n"
        + "  --launcher FILE          make --output from this launcher instead of the one carried here\n"
        + "  --launcher64 FILE        make --output64 from this launcher\n"
        + "  --icon FILE              an .ico file or a PNG picture (16 to 256 pixels); may be repeated\n"
        + "  --product-name TEXT      version information: product name\n"
        + "  --product-version V      product version as your build writes it (1.2.3-SNAPSHOT)\n"
        + "  --file-version V         file version (default: the product version)\n"
        + "  --company TEXT           company name\n"
        + "  --copyright TEXT         legal copyright\n"
        + "  --description TEXT       file description (default: the product name)\n"
        + "  --comments TEXT          comments\n"
        + "  --internal-name TEXT     internal name (default: the output's name without extension)\n"
        + "  --original-filename TEXT original file name (default: the output's file name)\n"
        + "  --settings FILE.ini      embed this INI file as base settings under its Upgrade Code; the\n"
        + "                           first one also applies when no INI file lies beside the executable\n"
        + "  --pair-product           name --output64 as Pair Product in --output's embedded settings\n"
        + "  --messages de|en|FILE    message texts: German (as shipped), English, or a UTF-8 file of\n"
        + "                           yours (see --print-messages)\n"
        + "  --print-messages en      print the English texts in the message file format and exit\n"
        + "  --execution-level L      asInvoker (default), highestAvailable or requireAdministrator\n"
        + "  --long-path-aware        declare long-path awareness in the manifest\n"
        + "  --remove-signature       brand a signed launcher by dropping its signature; sign the result\n"
        + "  --help                   print this text\n";

    private Main() {}

    public static void main(String[] args) {
        System.exit(run(args, System.out, System.err));
    }

    // The command line's work; the exit code.
    static int run(String[] args, PrintStream out, PrintStream err) {
        Brander brander = new Brander();
        try {
            for (int i = 0; i < args.length; i++) {
                String option = args[i];
                if (option.equals("--help") || option.equals("-h")) {
                    out.print(USAGE);
                    return 0;
                }
                if (option.equals("--pair-product")) {
                    brander.pairProduct(true);
                } else if (option.equals("--long-path-aware")) {
                    brander.longPathAware(true);
                } else if (option.equals("--remove-signature")) {
                    brander.removeSignature(true);
                } else if (option.equals("--console")) {
                    brander.console(true);
                } else {
                    if (i + 1 >= args.length || !option.startsWith("--"))
                        return usage(err, option.startsWith("--") ? option + " needs a value." : "Unknown argument " + option + ".");
                    String value = args[++i];
                    if (option.equals("--print-messages")) {
                        printMessages(value, out);
                        return 0;
                    }
                    if (!apply(brander, option, value)) return usage(err, "Unknown option " + option + ".");
                }
            }
            brander.brand();
            return 0;
        } catch (BrandException e) {
            err.println("launcher-brand: " + e.getMessage());
            return 1;
        }
    }

    private static boolean apply(Brander b, String option, String value) throws BrandException {
        switch (option) {
            case "--output": b.output(Paths.get(value)); break;
            case "--output64": b.output64(Paths.get(value)); break;
            case "--arch": b.arch(value); break;
            case "--launcher": b.launcher(Paths.get(value)); break;
            case "--launcher64": b.launcher64(Paths.get(value)); break;
            case "--icon": b.icon(Paths.get(value)); break;
            case "--product-name": b.productName(value); break;
            case "--product-version": b.productVersion(value); break;
            case "--file-version": b.fileVersion(value); break;
            case "--company": b.company(value); break;
            case "--copyright": b.copyright(value); break;
            case "--description": b.description(value); break;
            case "--comments": b.comments(value); break;
            case "--internal-name": b.internalName(value); break;
            case "--original-filename": b.originalFilename(value); break;
            case "--settings": b.settings(Paths.get(value)); break;
            case "--messages": b.messages(value); break;
            case "--execution-level": b.executionLevel(value); break;
            default: return false;
        }
        return true;
    }

    private static void printMessages(String name, PrintStream out) throws BrandException {
        if (!name.equals("en")) throw new BrandException("Only the English texts (en) can be printed.");
        try (InputStream in = Main.class.getResourceAsStream("messages-en.txt")) {
            if (in == null) throw new BrandException("This tool carries no English texts.");
            out.print(new String(Brander.readAll(in), StandardCharsets.UTF_8));
            out.flush();
        } catch (IOException e) {
            throw new BrandException("The English texts cannot be read: " + e.getMessage() + ".");
        }
    }

    private static int usage(PrintStream err, String problem) {
        err.println("launcher-brand: " + problem + " See --help.");
        return 2;
    }
}
