# Starts a CUPS scheduler with a PDF printer as the default printer, for the printing tests, and stops it
# again: start_cups exports VARDELO_TEST_PRINT_PDF, the file each print job is written to.

CUPSD_PID=""
CUPS_TEST_PRINTER=VardeloTestPDF

cups_ready() {
    lpstat -r 2>/dev/null | grep -q 'is running'
}

start_cups() {
    # The test printer writes to a file, which CUPS only allows when told so.
    grep -q '^FileDevice Yes' /etc/cups/cups-files.conf || echo 'FileDevice Yes' >>/etc/cups/cups-files.conf
    if cups_ready; then
        echo "CUPS is running already; the tests use it" >&2
    else
        mkdir -p /run/cups
        cupsd -f &
        CUPSD_PID=$!
        local tries=0
        until cups_ready; do
            tries=$((tries + 1))
            [ "$tries" -lt 100 ] || { echo "cupsd did not start" >&2; return 1; }
            sleep 0.1
        done
    fi
    local folder
    folder=$(mktemp -d /tmp/vardelo-print.XXXXXX)
    chmod 777 "$folder"
    export VARDELO_TEST_PRINT_PDF="$folder/print.pdf"
    lpadmin -p "$CUPS_TEST_PRINTER" -v "file://$VARDELO_TEST_PRINT_PDF" -E \
        -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd
    lpadmin -d "$CUPS_TEST_PRINTER"
    echo "CUPS prints to $VARDELO_TEST_PRINT_PDF"
}

stop_cups() {
    lpadmin -x "$CUPS_TEST_PRINTER" 2>/dev/null || true
    if [ -n "$CUPSD_PID" ]; then
        kill "$CUPSD_PID" 2>/dev/null || true
        wait "$CUPSD_PID" 2>/dev/null || true
        CUPSD_PID=""
    fi
    if [ -n "${VARDELO_TEST_PRINT_PDF:-}" ]; then
        rm -rf "$(dirname "$VARDELO_TEST_PRINT_PDF")"
    fi
}
