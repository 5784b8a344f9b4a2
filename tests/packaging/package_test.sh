#!/usr/bin/env bash
# Makes the Debian package with scripts/package.sh and checks it as a clerk's machine gets it:
#   package_test.sh SOURCE_FOLDER BUILD_FOLDER VERSION
set -euo pipefail
source="$1"
build="$2"
version="$3"

fail() {
  echo "FALLA: $*" >&2
  exit 1
}

bash "$source/scripts/package.sh" "$build"
deb="$build/tarvenio_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no se hizo $deb"

work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

echo "== contenido"
dpkg-deb --contents "$deb" | awk '{ print $6 }' >"$work/list"
for f in usr/bin/tarvenio \
         usr/share/applications/org.tarvenio.Tarvenio.desktop \
         usr/share/metainfo/org.tarvenio.Tarvenio.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/tarvenio.svg \
         usr/share/icons/hicolor/48x48/apps/tarvenio.png \
         usr/share/icons/hicolor/128x128/apps/tarvenio.png \
         usr/share/man/man1/tarvenio.1.gz \
         usr/share/doc/tarvenio/copyright; do
  grep -qx "\./$f" "$work/list" || fail "el paquete no tiene /$f"
done
if grep -v -e '^\./$' -e '^\./usr/' "$work/list"; then fail "el paquete instala fuera de /usr"; fi

depends="$(dpkg-deb --field "$deb" Depends)"
echo "Depends: $depends"
for p in fonts-liberation2 qt6-translations-l10n libqt6widgets6 libsqlite3-0 libarchive13 libc6; do
  grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "falta la dependencia $p"
done
[ "$(dpkg-deb --field "$deb" Recommends)" = "cups" ] || fail "cups no es una recomendación"

dpkg-deb -x "$deb" "$work/root"
usr="$work/root/usr"

echo "== menú, metadatos, iconos y manual"
desktop-file-validate "$usr/share/applications/org.tarvenio.Tarvenio.desktop"
grep -qx 'Categories=Office;Finance;' "$usr/share/applications/org.tarvenio.Tarvenio.desktop" ||
  fail "categorías del menú"
appstreamcli validate --no-net --explain "$usr/share/metainfo/org.tarvenio.Tarvenio.metainfo.xml"
for size in 48 128; do
  file -b "$usr/share/icons/hicolor/${size}x${size}/apps/tarvenio.png" | grep -q "PNG image data, $size x $size," ||
    fail "el icono de $size no mide $size x $size"
done
file -b "$usr/share/icons/hicolor/scalable/apps/tarvenio.svg" | grep -q "SVG" || fail "el icono escalable no es SVG"
# The manual page is read through the same formatter as man(1); any complaint of it fails.
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$usr/share/man/man1/tarvenio.1.gz" >"$work/man.txt" 2>"$work/man.err"
if [ -s "$work/man.err" ]; then cat "$work/man.err" >&2; fail "avisos al formatear el manual"; fi
grep -q -- "--datos" "$work/man.txt" || fail "el manual no describe --datos"

echo "== el programa extraído"
program="$usr/bin/tarvenio"
home="$work/home"
mkdir "$home"
[ "$(env -i PATH="$PATH" HOME="$home" "$program" --version)" = "tarvenio $version" ] || fail "--version"

find "$work/root" | sort >"$work/before"
env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen "$program" >"$work/out.txt" 2>&1 &
pid=$!
data="$home/.local/share/tarvenio"
tables=(imprenta.db cliente.DB detalle.DB Maquina.DB Anticipos.db Formularios.db)
for _ in $(seq 1 300); do
  all=yes
  for t in "${tables[@]}" ddjj back; do [ -e "$data/$t" ] || all=no; done
  [ $all = yes ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/out.txt" >&2; fail "el programa terminó antes de crear sus tablas"; }
  sleep 0.2
done
[ $all = yes ] || { ls -la "$data" "$usr/bin" >&2 || true; fail "las tablas no están en $data"; }
kill -0 "$pid" 2>/dev/null || { cat "$work/out.txt" >&2; fail "el programa no siguió abierto"; }
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
grep -qx "IMPRENTAS=$data/" "$home/.config/tarvenio/store.conf" || {
  cat "$home/.config/tarvenio/store.conf" >&2
  fail "el alias IMPRENTAS no nombra $data"
}
find "$work/root" | sort >"$work/after"
diff "$work/before" "$work/after" || fail "el programa escribió en su propia carpeta"
echo "Paquete correcto: $deb"
