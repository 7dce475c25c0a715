#!/usr/bin/env bash
# Installs the Debian packages the build, the product and the tests need.
# Idempotent: asks apt only for what is missing and updates the package lists at most once.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config python3
  qt6-base-dev libqt6opengl6-dev
  libjpeg62-turbo-dev libsqlite3-dev libpq-dev postgresql
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-arphic-uming fonts-wqy-zenhei fonts-liberation2 fonts-dejavu-core
  imagemagick
  poppler-utils poppler-data qpdf
  # RTF exports: LibreOffice lays the files out as PDF in the export test.
  libreoffice-writer-nogui
  # Picture exports: LibreOffice renders the metafiles the tests write and writes one to play.
  libreoffice-draw-nogui
  xvfb xauth sqlite3
  # Spreadsheet exports: the XLSX writer library and the independent readers the tests use.
  libxlsxwriter-dev python3-xlrd python3-openpyxl python3-xlwt libreoffice-calc-nogui libgsf-bin
  # The text form of reports (vnreport dump / make).
  nlohmann-json3-dev
  # Printing: a private CUPS scheduler with a PDF-writing queue and the cups-pdf printer.
  cups printer-driver-cups-pdf cups-ipp-utils cups-bsd libcups2-dev
  # Fuzz targets: clang with libFuzzer and the sanitizer runtimes.
  clang libclang-rt-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
