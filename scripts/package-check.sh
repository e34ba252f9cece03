#!/usr/bin/env bash
# Checks the Debian package that `make package` built in the given build folder, as a user's
# machine would see it: unpacks it into a scratch folder, compares its files with the
# expected set, validates its desktop entry, file types and metadata, runs the unpacked
# programs, and has lintian look at the package.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: package-check.sh BUILD_FOLDER}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$build/quorvane_${version}_amd64.deb"
[ -f "$deb" ] || { echo "package-check: $deb is missing" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
fail() { echo "package-check: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$root"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6svg6 libstdc++6 qt6-qpa-plugins; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

# Every file the package holds, and no other.
expected="$scratch/expected" actual="$scratch/actual"
{
  printf '%s\n' \
    usr/bin/quorvane usr/bin/quorvane-cli \
    usr/share/applications/quorvane.desktop \
    usr/share/mime/packages/quorvane.xml \
    usr/share/icons/hicolor/scalable/apps/quorvane.svg \
    usr/share/man/man1/quorvane.1.gz usr/share/man/man1/quorvane-cli.1.gz \
    usr/share/doc/quorvane/user-guide.md usr/share/doc/quorvane/copyright \
    usr/share/doc/quorvane/changelog.gz \
    usr/share/quorvane/examples/README.md \
    usr/share/lintian/overrides/quorvane
  ls "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null || fail "no metainfo file"
  for size in 16 22 24 32 48 64 128 256; do
    echo "usr/share/icons/hicolor/${size}x${size}/apps/quorvane.png"
  done
  for picture in docs/images/*.png; do echo "usr/share/doc/quorvane/images/${picture##*/}"; done
  for model in examples/*.qvf; do echo "usr/share/quorvane/examples/${model##*/}"; done
} | sort > "$expected"
(cd "$root" && find . \( -type f -o -type l \) ! -name '*.metainfo.xml' | sed 's|^\./||' | sort) > "$actual"
if ! diff -u "$expected" "$actual"; then fail "the package's files differ from the expected set"; fi

# The desktop files as desktops and software centres read them.
desktop-file-validate "$root/usr/share/applications/quorvane.desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$root"
grep -q '<launchable type="desktop-id">quorvane.desktop</launchable>' \
  "$root"/usr/share/metainfo/*.metainfo.xml || fail "the metainfo does not launch quorvane.desktop"
mime="$scratch/mime"
mkdir -p "$mime/packages"
cp "$root/usr/share/mime/packages/quorvane.xml" "$mime/packages/"
XDG_DATA_HOME="$scratch" update-mime-database "$mime"
grep -qx '50:application/x-quorvane-model:\*\.qvf' "$mime/globs2" || fail "no *.qvf glob"
grep -qx '50:application/x-xmile+xml:\*\.xmile' "$mime/globs2" || fail "no *.xmile glob"
grep -qx '50:application/x-xmile+xml:\*\.stmx' "$mime/globs2" || fail "no *.stmx glob"
grep -qaF "$(printf '\tQuorvane\t')" "$mime/magic" || fail "no magic for the first bytes of a model"

# The unpacked programs answer and run an unpacked example.
[ "$("$root/usr/bin/quorvane-cli" --version)" = "quorvane-cli $version" ] || fail "quorvane-cli --version"
[ "$(env -u DISPLAY "$root/usr/bin/quorvane" --version)" = "quorvane $version" ] || fail "quorvane --version"
"$root/usr/bin/quorvane-cli" run "$root/usr/share/quorvane/examples/customer_growth.qvf" \
  --csv "$scratch/results.csv"
head -c 5 "$scratch/results.csv" | grep -q '^Time,' || fail "the example's results lack their Time column"
for page in quorvane quorvane-cli; do
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.SH OPTIONS' || fail "$page(1) has no options"
done

lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
echo "package-check: $deb is complete and valid"
