#!/bin/sh
# Build sample/maven with Maven, offline, and check what "mvn package" left in
# target/dist: the branded 32- and 64-bit launchers and the application's jar.
#
#   usage: maven-sample.sh BRAND_JAR WORK_DIR
#
# BRAND_JAR is the branding tool (launcher-brand.jar) the pom runs. WORK_DIR
# receives the copy of the sample (WORK_DIR/maven), the Maven settings and the
# Maven repository made for this run; nothing else is written outside it but
# the JVMs' usual /tmp/hsperfdata_$USER entries.
#
# Maven resolves its plugins only from Debian's packaged repository,
# /usr/share/maven-repo, used as a read-only file:// repository from which
# what is needed is copied into WORK_DIR/repository. Needs the Debian packages
# maven libexec-maven-plugin-java libmaven-resources-plugin-java
# libmaven-compiler-plugin-java libsurefire-java libmaven-jar-plugin-java.
set -eu

fail() { echo "maven-sample: $*" >&2; exit 1; }

[ $# -eq 2 ] || { echo "usage: $0 BRAND_JAR WORK_DIR" >&2; exit 64; }
[ -f "$1" ] || fail "the branding tool $1 does not exist"
BRAND_JAR=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mkdir -p "$2"
WORK=$(cd "$2" && pwd)
SAMPLE=$(cd "$(dirname "$0")/../../sample/maven" && pwd)
DEBIAN_REPO=/usr/share/maven-repo

command -v mvn >/dev/null 2>&1 || fail "mvn is not installed (Debian package maven)"
for tool in java javap; do
    command -v $tool >/dev/null 2>&1 || fail "$tool is not on the PATH (a JDK is needed)"
done
command -v perl >/dev/null 2>&1 || fail "perl is not on the PATH"
[ -d "$DEBIAN_REPO/org/codehaus/mojo/exec-maven-plugin" ] ||
    fail "$DEBIAN_REPO has no exec-maven-plugin (Debian package libexec-maven-plugin-java)"

# A clean copy each time: a target folder left from an earlier run, here or in
# the source tree, would let a build that produced nothing pass the checks, and
# a repository filled earlier would hide a Debian package since removed.
rm -rf "$WORK/maven" "$WORK/repository"
cp -R "$SAMPLE" "$WORK/maven"
rm -rf "$WORK/maven/target"

# The mirror sends every repository, central included, to Debian's; Maven's
# offline mode still refuses file:// repositories unless aether.offline.protocols
# allows them, which is given on the command line below. Copying into a local
# repository of our own keeps /usr/share/maven-repo untouched.
cat >"$WORK/settings.xml" <<EOF
<settings xmlns="http://maven.apache.org/SETTINGS/1.0.0">
  <localRepository>$WORK/repository</localRepository>
  <offline>true</offline>
  <interactiveMode>false</interactiveMode>
  <mirrors>
    <mirror>
      <id>debian</id>
      <mirrorOf>*</mirrorOf>
      <url>file://$DEBIAN_REPO</url>
    </mirror>
  </mirrors>
</settings>
EOF

dist=$WORK/maven/target/dist
echo "maven-sample: mvn package in $WORK/maven with $BRAND_JAR"
mvn -o -q -B -s "$WORK/settings.xml" -Daether.offline.protocols=file \
    -f "$WORK/maven/pom.xml" -Dlauncher.brand.jar="$BRAND_JAR" package ||
    fail "mvn package failed for $WORK/maven/pom.xml (see the Maven output above)"

# Prints why FILE is not a PE image for MACHINE (hex, as in the COFF header),
# nothing when it is one.
pe_problem() {  # FILE MACHINE
    perl -e '
        my ($file, $want) = @ARGV;
        open(my $f, "<:raw", $file) or do { print "cannot be read: $!"; exit };
        local $/; my $d = <$f>;
        if (substr($d, 0, 2) ne "MZ") { print "does not start with \"MZ\""; exit }
        if (length($d) < 64) { print "is too short for a DOS header"; exit }
        my $pe = unpack("V", substr($d, 60, 4));
        if ($pe + 6 > length($d) || substr($d, $pe, 4) ne "PE\0\0") { print "has no PE header where its DOS header points"; exit }
        my $m = unpack("v", substr($d, $pe + 4, 2));
        printf("is built for machine 0x%04x, not 0x%s", $m, $want) if $m != hex($want);
    ' "$1" "$2"
}

# Succeeds when FILE holds TEXT in UTF-16LE, as the strings of a version
# resource are stored.
has_utf16() {  # FILE TEXT
    perl -e '
        my ($file, $text) = @ARGV;
        open(my $f, "<:raw", $file) or exit 1;
        local $/; my $d = <$f>;
        my $u = join("", map { $_ . "\0" } split(//, $text));
        exit(index($d, $u) >= 0 ? 0 : 1);
    ' "$1" "$2"
}

for exe in Sample.exe:014c Sample64.exe:8664; do
    name=${exe%%:*}
    file=$dist/$name
    [ -f "$file" ] || fail "mvn package did not write $file"
    problem=$(pe_problem "$file" "${exe#*:}")
    [ -z "$problem" ] || fail "$file $problem"
    for text in "Sample Application" "Example Corp" "1.2.3"; do
        has_utf16 "$file" "$text" ||
            fail "$file does not contain \"$text\" in its version information"
    done
done

jar=$dist/lib/sample-1.2.3-SNAPSHOT.jar
[ -f "$jar" ] || fail "the application's jar is not in $dist/lib (found: $(find "$dist" -name "*.jar" 2>/dev/null | tr "\n" " "))"
out=$(java -cp "$jar" com.example.sample.SampleApp one two 2>&1) ||
    fail "java -cp $jar com.example.sample.SampleApp failed: $out"
case $out in
    *"started with 2 argument(s)"*"[1] two"*) ;;
    *) fail "$jar does not hold a working SampleApp; it printed: $out" ;;
esac

# The INI lets the launcher pick any Java from 1.8 on, so the classes must be
# ones Java 8 loads (class file major version 52).
javap -v -cp "$jar" com.example.sample.SampleApp 2>/dev/null | grep -q "major version: 52$" ||
    fail "SampleApp in $jar is not compiled for Java 8 (class file major version 52)"

echo "maven-sample: $dist holds Sample.exe, Sample64.exe and lib/$(basename "$jar")"
