package launcher.brand;

import java.util.regex.Matcher;
import java.util.regex.Pattern;

// Edits the launcher's application manifest: the execution level it
// requests and long-path awareness. Everything else it declares (DPI
// awareness, common controls 6, the supported systems) stays as it is.
public final class ManifestText {
    public static final String[] LEVELS = {"asInvoker", "highestAvailable", "requireAdministrator"};

    private static final Pattern LEVEL =
        Pattern.compile("(<requestedExecutionLevel\\b[^>]*\\blevel\\s*=\\s*\")([^\"]*)(\")");
    private static final Pattern SETTINGS_END = Pattern.compile("</((?:\\w+:)?windowsSettings)>");
    private static final String LONG_PATH =
        "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>";

    private ManifestText() {}

    // The manifest with level requested and, when longPathAware, long paths
    // declared; what names the executable in messages.
    public static String apply(String manifest, String level, boolean longPathAware, String what)
        throws BrandException {
        if (!isLevel(level))
            throw new BrandException("The execution level " + level
                                     + " is not one of asInvoker, highestAvailable, requireAdministrator.");
        Matcher m = LEVEL.matcher(manifest);
        if (!m.find()) throw new BrandException("The manifest of " + what + " requests no execution level.");
        String result = manifest.substring(0, m.start(2)) + level + manifest.substring(m.end(2));
        if (longPathAware && !result.contains("<longPathAware")) {
            Matcher end = SETTINGS_END.matcher(result);
            if (!end.find()) throw new BrandException("The manifest of " + what + " has no windowsSettings.");
            result = result.substring(0, end.start()) + "  " + LONG_PATH + "\n    " + result.substring(end.start());
        }
        return result;
    }

    public static boolean isLevel(String level) {
        for (String known : LEVELS) {
            if (known.equals(level)) return true;
        }
        return false;
    }
}
