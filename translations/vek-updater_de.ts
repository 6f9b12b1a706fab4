<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CameraCommands</name>
    <message>
        <source>%1: %2 - Detection Error</source>
        <translation>%1: %2 - Erkennungsfehler</translation>
    </message>
    <message>
        <source>cannot load the catalogue from %1: %2</source>
        <translation>der Katalog kann nicht von %1 geladen werden: %2</translation>
    </message>
    <message>
        <source>no camera %1 is attached</source>
        <translation>keine Kamera %1 angeschlossen</translation>
    </message>
    <message>
        <source>nothing to update: no camera attached, or none of the ones named</source>
        <translation>nichts zu aktualisieren: keine Kamera angeschlossen, oder keine der genannten</translation>
    </message>
</context>
<context>
    <name>CameraNames</name>
    <message>
        <source>USB debugging %1</source>
        <translation>USB-Debugging %1</translation>
    </message>
</context>
<context>
    <name>CameraRows</name>
    <message>
        <source>updating</source>
        <translation>wird aktualisiert</translation>
    </message>
    <message>
        <source>write-protected — slide the card&apos;s lock switch</source>
        <translation>schreibgeschützt — Sperrschieber der Karte umstellen</translation>
    </message>
    <message>
        <source>needs %1</source>
        <translation>benötigt %1</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>aktuell</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>USB debugging, serial %1</source>
        <translation>USB-Debugging, Seriennummer %1</translation>
    </message>
    <message>
        <source>%1
Catalogue version: %2
Brand reported: %3
Found on: %4</source>
        <translation>%1
Version im Katalog: %2
Gemeldete Marke: %3
Gefunden auf: %4</translation>
    </message>
    <message>
        <source>slot %1</source>
        <translation>Steckplatz %1</translation>
    </message>
    <message>
        <source>%1, %2, %3, %4</source>
        <translation>%1, %2, %3, %4</translation>
    </message>
</context>
<context>
    <name>CliPrinter</name>
    <message>
        <source>%1  %2  installed %3, available %4, brand %5, %6%7</source>
        <translation>%1  %2  installiert %3, verfügbar %4, Marke %5, %6%7</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>needs an update</source>
        <translation>braucht eine Aktualisierung</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>aktuell</translation>
    </message>
    <message>
        <source>, slot %1</source>
        <translation>, Steckplatz %1</translation>
    </message>
    <message>
        <source>, slot %1 (%2)</source>
        <translation>, Steckplatz %1 (%2)</translation>
    </message>
    <message>
        <source>Unable to read version info.</source>
        <translation>Versionsinformation kann nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Commands:
  list     one detection pass; every attached camera on a line of its own
  update   updates the cameras named, or every attached camera (--all, the
           default), side by side; a result line per camera
  watch    stays running and updates each camera as it is plugged in, until
           Ctrl-C or SIGTERM
  history  the record of every update made on this workstation
  fetch    copies the catalogue and the images into DIR, for --source DIR;
           --sign adds a statement of the catalogue signed with the key
  keys     generate makes a signing key pair, FILE and FILE.pub; trust adds a
           public key to this workstation&apos;s trust list; list shows the list.
           Once a key is trusted, --source takes only folders and mirrors that
           carry a statement signed by one
  slots    the names given to USB slots; name gives the slot at PORTPATH (as
           list shows it, e.g. 1-4.3) a name, shown wherever its camera is
           told (an empty NAME forgets it)

A camera is named by the mount point of its card, or adb:SERIAL.

Exit status:
  0    every camera asked for is updated or already up to date
  1    at least one update failed
  2    nothing to do: no camera attached, or none matches the ids given
  3    the catalogue could not be loaded or read, or its signature is refused
  64   the command line is wrong
  130  update: Ctrl-C (SIGINT) stopped it
  143  update: SIGTERM stopped it
</source>
        <translation>Befehle:
  list     ein Erkennungsdurchlauf; jede angeschlossene Kamera in einer
           eigenen Zeile
  update   aktualisiert die genannten Kameras oder jede angeschlossene Kamera
           (--all, die Vorgabe) nebeneinander; eine Ergebniszeile je Kamera
  watch    läuft weiter und aktualisiert jede Kamera, sobald sie eingesteckt
           wird, bis Strg-C oder SIGTERM
  history  die Aufzeichnung jeder Aktualisierung an diesem Arbeitsplatz
  fetch    kopiert den Katalog und die Abbilder nach DIR, für --source DIR;
           --sign fügt eine mit dem Schlüssel signierte Erklärung zum
           Katalog hinzu
  keys     generate erzeugt ein Signaturschlüsselpaar, FILE und FILE.pub; trust
           nimmt einen öffentlichen Schlüssel in die Vertrauensliste dieses
           Arbeitsplatzes auf; list zeigt die Liste. Sobald einem Schlüssel
           vertraut wird, nimmt --source nur Ordner und Spiegelserver an, die eine
           von einem solchen Schlüssel signierte Erklärung tragen
  slots    die Namen der USB-Steckplätze; name gibt dem Steckplatz an PORTPATH
           (wie list ihn zeigt, z. B. 1-4.3) einen Namen, der überall angezeigt
           wird, wo seine Kamera genannt wird (ein leerer NAME löscht ihn)

Eine Kamera wird durch den Einhängepunkt ihrer Karte benannt, oder adb:SERIAL.

Rückgabewert:
  0    jede verlangte Kamera ist aktualisiert oder schon aktuell
  1    mindestens eine Aktualisierung ist fehlgeschlagen
  2    nichts zu tun: keine Kamera angeschlossen, oder keine passt zu den
       Kennungen
  3    der Katalog konnte nicht geladen oder gelesen werden, oder seine Signatur
       wird abgelehnt
  64   die Befehlszeile ist falsch
  130  update: durch Strg-C (SIGINT) abgebrochen
  143  update: durch SIGTERM abgebrochen
</translation>
    </message>
    <message>
        <source>see vek-updater-cli --help</source>
        <translation>siehe vek-updater-cli --help</translation>
    </message>
    <message>
        <source>Updates the firmware of VEK cameras plugged in by USB, for scripted stations.</source>
        <translation>Aktualisiert die Firmware von VEK-Kameras, die per USB angeschlossen sind, für skriptgesteuerte Stationen.</translation>
    </message>
    <message>
        <source>Shows this help.</source>
        <translation>Zeigt diese Hilfe.</translation>
    </message>
    <message>
        <source>Shows the version.</source>
        <translation>Zeigt die Version.</translation>
    </message>
    <message>
        <source>JSON Lines on standard output, and nothing else there.</source>
        <translation>JSON Lines auf der Standardausgabe, und sonst nichts dort.</translation>
    </message>
    <message>
        <source>history: comma-separated values.</source>
        <translation>history: kommagetrennte Werte.</translation>
    </message>
    <message>
        <source>update: every attached camera.</source>
        <translation>update: jede angeschlossene Kamera.</translation>
    </message>
    <message>
        <source>history: records from DATE on: YYYY-MM-DD (UTC), or an ISO 8601 time with Z or an offset, as 2026-12-07T15:00+01:00.</source>
        <translation>history: Einträge ab DATE: JJJJ-MM-TT (UTC), oder eine Zeit nach ISO 8601 mit Z oder einem Versatz, etwa 2026-12-07T15:00+01:00.</translation>
    </message>
    <message>
        <source>Take the catalogue and the images from DIR, or from the https address of a mirror, instead of the maker&apos;s server.</source>
        <translation>Katalog und Abbilder aus DIR oder von der https-Adresse eines Spiegelservers nehmen, statt vom Server des Herstellers.</translation>
    </message>
    <message>
        <source>list, update, watch: keep the station&apos;s metrics in DIR/vek-updater-cli.prom for the node exporter&apos;s textfile collector, after every update and once a minute.</source>
        <translation>list, update, watch: die Metriken der Station in DIR/vek-updater-cli.prom für den Textfile-Collector des Node Exporters ablegen, nach jeder Aktualisierung und einmal pro Minute.</translation>
    </message>
    <message>
        <source>list, update, watch: the bench&apos;s name in its metrics and journal entries (default: the host name).</source>
        <translation>list, update, watch: der Name des Arbeitsplatzes in seinen Metriken und Journaleinträgen (Vorgabe: der Rechnername).</translation>
    </message>
    <message>
        <source>fetch: sign the folder with the private key in KEYFILE.</source>
        <translation>fetch: den Ordner mit dem privaten Schlüssel in KEYFILE signieren.</translation>
    </message>
    <message>
        <source>fetch --sign: the statement holds for DAYS days (%1).</source>
        <translation>fetch --sign: die Erklärung gilt DAYS Tage (%1).</translation>
    </message>
    <message>
        <source>keys generate, keys trust: the signer&apos;s name (the file&apos;s name).</source>
        <translation>keys generate, keys trust: der Name des Signierenden (der Name der Datei).</translation>
    </message>
    <message>
        <source>list, update, watch, history, fetch, keys or slots.</source>
        <translation>list, update, watch, history, fetch, keys oder slots.</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>unbekannter Befehl %1</translation>
    </message>
    <message>
        <source>%1 takes no further words: %2</source>
        <translation>%1 nimmt keine weiteren Wörter: %2</translation>
    </message>
    <message>
        <source>--all goes with update, and without camera ids</source>
        <translation>--all gehört zu update, und ohne Kamerakennungen</translation>
    </message>
    <message>
        <source>--csv goes with history, and not with --json</source>
        <translation>--csv gehört zu history, und nicht zu --json</translation>
    </message>
    <message>
        <source>--since goes with history</source>
        <translation>--since gehört zu history</translation>
    </message>
    <message>
        <source>--metrics-dir and --station go with list, update and watch</source>
        <translation>--metrics-dir und --station gehören zu list, update und watch</translation>
    </message>
    <message>
        <source>fetch needs a folder, and prints no JSON</source>
        <translation>fetch braucht einen Ordner und gibt kein JSON aus</translation>
    </message>
    <message>
        <source>--sign and --expires go with fetch</source>
        <translation>--sign und --expires gehören zu fetch</translation>
    </message>
    <message>
        <source>--expires goes with --sign</source>
        <translation>--expires gehört zu --sign</translation>
    </message>
    <message>
        <source>--name goes with keys generate and keys trust</source>
        <translation>--name gehört zu keys generate und keys trust</translation>
    </message>
    <message>
        <source>keys: generate FILE, trust PUBFILE (either with a plain --name), or list (the only one with --json)</source>
        <translation>keys: generate FILE, trust PUBFILE (beide mit einem einfachen --name), oder list (als einziger mit --json)</translation>
    </message>
    <message>
        <source>--expires: a number of days from 1 to %1</source>
        <translation>--expires: eine Anzahl Tage von 1 bis %1</translation>
    </message>
    <message>
        <source>slots: name PORTPATH NAME, or nothing to list them (the only one with --json)</source>
        <translation>slots: name PORTPATH NAME, oder nichts, um sie aufzulisten (als einziges mit --json)</translation>
    </message>
    <message>
        <source>--since: not a date, nor a time with Z or an offset: %1</source>
        <translation>--since: weder ein Datum noch eine Zeit mit Z oder Versatz: %1</translation>
    </message>
</context>
<context>
    <name>FetchCommand</name>
    <message>
        <source>cannot load the catalogue from %1: %2</source>
        <translation>der Katalog kann nicht von %1 geladen werden: %2</translation>
    </message>
    <message>
        <source>not in the catalogue: %1</source>
        <translation>nicht im Katalog: %1</translation>
    </message>
    <message>
        <source>%1: no image to fetch: the link %2 names no plain file of its own, or no valid checksum comes with it</source>
        <translation>%1: kein Abbild zu holen: der Link %2 nennt keine eigene einfache Datei, oder es gibt keine gültige Prüfsumme dazu</translation>
    </message>
    <message>
        <source>present</source>
        <translation>vorhanden</translation>
    </message>
    <message>
        <source>fetched</source>
        <translation>geholt</translation>
    </message>
    <message>
        <source>failed: the folder %1 did not take it: %2</source>
        <translation>fehlgeschlagen: der Ordner %1 hat es nicht aufgenommen: %2</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>Update history</source>
        <translation>Aktualisierungsverlauf</translation>
    </message>
    <message>
        <source>All models</source>
        <translation>Alle Modelle</translation>
    </message>
    <message>
        <source>All outcomes</source>
        <translation>Alle Ergebnisse</translation>
    </message>
    <message>
        <source>Successful</source>
        <translation>Erfolgreich</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Up to date</source>
        <translation>Aktuell</translation>
    </message>
    <message>
        <source>Export CSV…</source>
        <translation>CSV exportieren…</translation>
    </message>
    <message>
        <source>&amp;Model:</source>
        <translation>&amp;Modell:</translation>
    </message>
    <message>
        <source>&amp;Outcome:</source>
        <translation>&amp;Ergebnis:</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Auf</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Aktualisierungen</translation>
    </message>
    <message>
        <source>Reading the history…</source>
        <translation>Verlauf wird gelesen…</translation>
    </message>
    <message>
        <source>No history: %1</source>
        <translation>Kein Verlauf: %1</translation>
    </message>
    <message>
        <source>No update has been recorded yet.</source>
        <translation>Es wurde noch keine Aktualisierung aufgezeichnet.</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n update(s)</source>
        <translation>
            <numerusform>%1 von %n Aktualisierung</numerusform>
            <numerusform>%1 von %n Aktualisierungen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n older ones are not shown (vek-updater-cli history lists them all)</source>
        <translation>
            <numerusform>; %n ältere wird nicht angezeigt (vek-updater-cli history listet alle auf)</numerusform>
            <numerusform>; %n ältere werden nicht angezeigt (vek-updater-cli history listet alle auf)</numerusform>
        </translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>CSV exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message numerus="yes">
        <source>Exported %n update(s) to %1</source>
        <translation>
            <numerusform>%n Aktualisierung nach %1 exportiert</numerusform>
            <numerusform>%n Aktualisierungen nach %1 exportiert</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Keys</name>
    <message>
        <source>keys generate: &quot;%1&quot; is no plain name; give one with --name</source>
        <translation>keys generate: „%1“ ist kein einfacher Name; geben Sie einen mit --name an</translation>
    </message>
    <message>
        <source>%1: private key of %2, keep it on the fetching workstation only
%1.pub: its public key, for vek-updater-cli keys trust on every bench</source>
        <translation>%1: privater Schlüssel von %2, nur auf dem Arbeitsplatz aufbewahren, der die Firmware holt
%1.pub: sein öffentlicher Schlüssel, für vek-updater-cli keys trust an jedem Arbeitsplatz</translation>
    </message>
    <message>
        <source>%1 trusted as %2: --source now takes only folders and mirrors signed by a trusted key</source>
        <translation>%1 als %2 vertraut: --source nimmt jetzt nur Ordner und Spiegelserver an, die mit einem vertrauenswürdigen Schlüssel signiert sind</translation>
    </message>
    <message>
        <source>%1: it verifies nothing, but asks for signed folders and mirrors</source>
        <translation>%1: prüft nichts, verlangt aber signierte Ordner und Spiegelserver</translation>
    </message>
    <message>
        <source>%1: no folder or mirror can be checked</source>
        <translation>%1: kein Ordner und kein Spiegelserver kann geprüft werden</translation>
    </message>
    <message>
        <source>no key is trusted: folders and mirrors are taken unsigned</source>
        <translation>keinem Schlüssel wird vertraut: Ordner und Spiegelserver werden unsigniert angenommen</translation>
    </message>
</context>
<context>
    <name>LiveLines</name>
    <message numerus="yes">
        <source>... and %n more under way</source>
        <translation>
            <numerusform>... und %n weitere in Arbeit</numerusform>
            <numerusform>... und %n weitere in Arbeit</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Shows this help.</source>
        <translation>Zeigt diese Hilfe.</translation>
    </message>
    <message>
        <source>Shows the version.</source>
        <translation>Zeigt die Version.</translation>
    </message>
    <message>
        <source>Take the catalogue and the images from DIR, or from the https address of a mirror, instead of the maker&apos;s server.</source>
        <translation>Katalog und Abbilder aus DIR oder von der https-Adresse eines Spiegelservers nehmen, statt vom Server des Herstellers.</translation>
    </message>
    <message>
        <source>Updates the firmware of VEK cameras plugged in by USB, from the maker&apos;s server, a mirror of it, or a folder that vek-updater-cli fetch filled.</source>
        <translation>Aktualisiert die Firmware von VEK-Kameras, die per USB angeschlossen sind, vom Server des Herstellers, einem Spiegelserver davon oder einem Ordner, den vek-updater-cli fetch gefüllt hat.</translation>
    </message>
    <message>
        <source>Keep the station&apos;s metrics in DIR for the node exporter&apos;s textfile collector (remembered; an empty DIR stops it).</source>
        <translation>Die Metriken der Station in DIR für den Textfile-Collector des Node Exporters ablegen (wird gespeichert; ein leeres DIR beendet es).</translation>
    </message>
    <message>
        <source>The bench&apos;s name in its metrics and journal entries (remembered; default: the host name).</source>
        <translation>Der Name des Arbeitsplatzes in seinen Metriken und Journaleinträgen (wird gespeichert; Vorgabe: der Rechnername).</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Check Firmware</source>
        <translation>Firmware prüfen</translation>
    </message>
    <message>
        <source>Version 1.34</source>
        <translation>Version 1.34</translation>
    </message>
    <message>
        <source>Update All</source>
        <translation>Alle aktualisieren</translation>
    </message>
    <message>
        <source>Firmware Source Not Trusted</source>
        <translation>Firmware-Quelle nicht vertrauenswürdig</translation>
    </message>
    <message>
        <source>No camera is updated from it.</source>
        <translation>Keine Kamera wird aus ihr aktualisiert.</translation>
    </message>
    <message>
        <source>No Internet Connection</source>
        <translation>Keine Internetverbindung</translation>
    </message>
    <message>
        <source>Could not connect to %1 to download device firwmare versions. Please ensure you have proper internet connection and try again.</source>
        <translation>Keine Verbindung zu %1, um die Firmware-Versionen der Geräte herunterzuladen. Bitte prüfen Sie Ihre Internetverbindung und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>%1 - Detection Error</source>
        <translation>%1 - Erkennungsfehler</translation>
    </message>
    <message>
        <source>Unable to read version info.</source>
        <translation>Versionsinformation kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Please ensure the SD card is plugged in and try again.</source>
        <translation>Bitte prüfen Sie, ob die SD-Karte eingesteckt ist, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>%1 is being updated already</source>
        <translation>%1 wird bereits aktualisiert</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <source>&amp;Update cameras as they are plugged in</source>
        <translation>Kameras beim Einstecken a&amp;ktualisieren</translation>
    </message>
    <message>
        <source>&amp;Name this slot…</source>
        <translation>Steckplatz be&amp;nennen…</translation>
    </message>
    <message>
        <source>&amp;Order by slot name</source>
        <translation>Nach Steckplatzname &amp;ordnen</translation>
    </message>
    <message>
        <source>Go to the &amp;progress of updates</source>
        <translation>Zum &amp;Fortschritt der Aktualisierungen</translation>
    </message>
    <message>
        <source>No update is under way</source>
        <translation>Es läuft keine Aktualisierung</translation>
    </message>
    <message>
        <source>&amp;About vek-updater…</source>
        <translation>Ü&amp;ber vek-updater…</translation>
    </message>
    <message>
        <source>About vek-updater</source>
        <translation>Über vek-updater</translation>
    </message>
    <message>
        <source>vek-updater %1

Updates the firmware of VEK cameras plugged in by USB.</source>
        <translation>vek-updater %1

Aktualisiert die Firmware von VEK-Kameras, die per USB angeschlossen sind.</translation>
    </message>
    <message>
        <source>This camera is on no USB slot of this workstation</source>
        <translation>Diese Kamera steckt in keinem USB-Steckplatz dieses Arbeitsplatzes</translation>
    </message>
    <message>
        <source>Name this slot</source>
        <translation>Steckplatz benennen</translation>
    </message>
    <message>
        <source>Name of the USB slot %1 (empty: no name):</source>
        <translation>Name des USB-Steckplatzes %1 (leer: kein Name):</translation>
    </message>
    <message numerus="yes">
        <source>Updating cameras as they are plugged in: %n updated</source>
        <translation>
            <numerusform>Kameras werden beim Einstecken aktualisiert: %n aktualisiert</numerusform>
            <numerusform>Kameras werden beim Einstecken aktualisiert: %n aktualisiert</numerusform>
        </translation>
    </message>
    <message>
        <source>Firmware from the folder %1</source>
        <translation>Firmware aus dem Ordner %1</translation>
    </message>
    <message>
        <source>Firmware from the mirror %1</source>
        <translation>Firmware vom Spiegelserver %1</translation>
    </message>
    <message>
        <source>%1 logo</source>
        <translation>%1-Logo</translation>
    </message>
    <message>
        <source>Cameras</source>
        <translation>Kameras</translation>
    </message>
    <message>
        <source>Enter updates the selected camera; the Menu key or Shift+F10 opens more</source>
        <translation>Eingabe aktualisiert die ausgewählte Kamera; die Menütaste oder Umschalt+F10 öffnet weitere Befehle</translation>
    </message>
    <message>
        <source>Updates every camera that needs it (%1)</source>
        <translation>Aktualisiert jede Kamera, die es braucht (%1)</translation>
    </message>
</context>
<context>
    <name>ProgressWindow</name>
    <message>
        <source>Updating camera firmware</source>
        <translation>Kamera-Firmware wird aktualisiert</translation>
    </message>
    <message>
        <source>Updates under way</source>
        <translation>Laufende Aktualisierungen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stops every update under way; each camera keeps the firmware it had</source>
        <translation>Bricht jede laufende Aktualisierung ab; jede Kamera behält ihre bisherige Firmware</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Wird abgebrochen…</translation>
    </message>
    <message>
        <source>Progress of %1</source>
        <translation>Fortschritt von %1</translation>
    </message>
    <message>
        <source>Done: %1</source>
        <translation>Fertig: %1</translation>
    </message>
    <message>
        <source>Failed: %1</source>
        <translation>Fehlgeschlagen: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n camera(s) done</source>
        <translation>
            <numerusform>%1 von %n Kamera fertig</numerusform>
            <numerusform>%1 von %n Kameras fertig</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n failed</source>
        <translation>
            <numerusform>, %n fehlgeschlagen</numerusform>
            <numerusform>, %n fehlgeschlagen</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message>
        <source>stopped before it started</source>
        <translation>vor dem Start abgebrochen</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Update summary</source>
        <translation>Zusammenfassung der Aktualisierung</translation>
    </message>
    <message numerus="yes">
        <source>%n updated</source>
        <translation>
            <numerusform>%n aktualisiert</numerusform>
            <numerusform>%n aktualisiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n up to date</source>
        <translation>
            <numerusform>%n aktuell</numerusform>
            <numerusform>%n aktuell</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n failed</source>
        <translation>
            <numerusform>%n fehlgeschlagen</numerusform>
            <numerusform>%n fehlgeschlagen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n stopped</source>
        <translation>
            <numerusform>%n abgebrochen</numerusform>
            <numerusform>%n abgebrochen</numerusform>
        </translation>
    </message>
    <message>
        <source>Cameras of the run</source>
        <translation>Kameras dieses Durchgangs</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Where</source>
        <translation>Wo</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Update failed again</source>
        <translation>Fehlgeschlagene erneut aktualisieren</translation>
    </message>
</context>
<context>
    <name>RunViews</name>
    <message>
        <source>updating %1 %</source>
        <translation>wird aktualisiert, %1 %</translation>
    </message>
    <message>
        <source>updating</source>
        <translation>wird aktualisiert</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>UpdateMessage</name>
    <message>
        <source>If error persists, contact customer support for more information.</source>
        <translation>Wenn der Fehler bestehen bleibt, wenden Sie sich an den Kundendienst.</translation>
    </message>
    <message>
        <source>%1 - Update Error</source>
        <translation>%1 - Aktualisierungsfehler</translation>
    </message>
    <message>
        <source>Device is currently not writable.</source>
        <translation>Das Gerät ist zurzeit nicht beschreibbar.</translation>
    </message>
    <message>
        <source>Ensure the SD card is not full or corrupted and try again.</source>
        <translation>Prüfen Sie, ob die SD-Karte voll oder beschädigt ist, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The firmware file cannot be read from %1.</source>
        <translation>Die Firmware-Datei kann nicht aus %1 gelesen werden.</translation>
    </message>
    <message>
        <source>Ensure the folder holds what vek-updater-cli fetch put there and try again.</source>
        <translation>Prüfen Sie, ob der Ordner enthält, was vek-updater-cli fetch dort abgelegt hat, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The required link cannot be reached. %1 could be experiencing issues.</source>
        <translation>Der benötigte Link ist nicht erreichbar. %1 hat möglicherweise Probleme.</translation>
    </message>
    <message>
        <source>Firmware file read from %1 but checksum mismatch occurred.</source>
        <translation>Die Firmware-Datei wurde aus %1 gelesen, aber die Prüfsumme stimmt nicht.</translation>
    </message>
    <message>
        <source>Fetch the firmware into the folder again and try again.</source>
        <translation>Holen Sie die Firmware erneut in den Ordner und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Firmware file downloaded but checksum mismatch occured.</source>
        <translation>Die Firmware-Datei wurde heruntergeladen, aber die Prüfsumme stimmt nicht.</translation>
    </message>
    <message>
        <source>Please ensure you have proper internet connection and try again.</source>
        <translation>Bitte prüfen Sie Ihre Internetverbindung und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>%1 - Update Successful</source>
        <translation>%1 - Aktualisierung erfolgreich</translation>
    </message>
    <message>
        <source>Please disconnect the USB to finish the update process.</source>
        <translation>Bitte ziehen Sie das USB-Kabel ab, um die Aktualisierung abzuschließen.</translation>
    </message>
    <message>
        <source>updated to %1 — unplug to install</source>
        <translation>auf %1 aktualisiert — zum Installieren abziehen</translation>
    </message>
    <message>
        <source>%1 - No Update Required</source>
        <translation>%1 - Keine Aktualisierung nötig</translation>
    </message>
    <message>
        <source>The device selected is up to date.</source>
        <translation>Das ausgewählte Gerät ist auf dem neuesten Stand.</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>aktuell</translation>
    </message>
    <message>
        <source>The required link is not populated.</source>
        <translation>Der benötigte Link ist nicht angegeben.</translation>
    </message>
    <message>
        <source>no link in the catalogue</source>
        <translation>kein Link im Katalog</translation>
    </message>
    <message>
        <source>not in the source folder</source>
        <translation>nicht im Quellordner</translation>
    </message>
    <message>
        <source>server unreachable</source>
        <translation>Server nicht erreichbar</translation>
    </message>
    <message>
        <source>The firmware file cannot be kept on this workstation.</source>
        <translation>Die Firmware-Datei kann auf diesem Arbeitsplatz nicht abgelegt werden.</translation>
    </message>
    <message>
        <source>Free some space on the workstation&apos;s disk and try again.</source>
        <translation>Geben Sie Speicherplatz auf der Festplatte des Arbeitsplatzes frei und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>workstation disk full</source>
        <translation>Festplatte des Arbeitsplatzes voll</translation>
    </message>
    <message>
        <source>checksum mismatch</source>
        <translation>Prüfsumme stimmt nicht</translation>
    </message>
    <message>
        <source>card not writable</source>
        <translation>Karte nicht beschreibbar</translation>
    </message>
    <message>
        <source>the card read back other bytes</source>
        <translation>die Karte lieferte beim Zurücklesen andere Bytes</translation>
    </message>
    <message>
        <source>The SD card is write-protected: slide the card&apos;s lock switch and try again.</source>
        <translation>Die SD-Karte ist schreibgeschützt: stellen Sie den Sperrschieber der Karte um und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>write-protected — slide the card&apos;s lock switch</source>
        <translation>schreibgeschützt — Sperrschieber der Karte umstellen</translation>
    </message>
    <message>
        <source>Device was unplugged before its update was finished.</source>
        <translation>Das Gerät wurde abgezogen, bevor seine Aktualisierung abgeschlossen war.</translation>
    </message>
    <message>
        <source>It keeps the firmware it had: plug it in again and try again.</source>
        <translation>Es behält seine bisherige Firmware: stecken Sie es wieder ein und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>unplugged</source>
        <translation>abgezogen</translation>
    </message>
    <message>
        <source>%1 - Update Stopped</source>
        <translation>%1 - Aktualisierung abgebrochen</translation>
    </message>
    <message>
        <source>The update was stopped.</source>
        <translation>Die Aktualisierung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The device keeps the firmware it had.</source>
        <translation>Das Gerät behält seine bisherige Firmware.</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>%1 - Device Busy</source>
        <translation>%1 - Gerät belegt</translation>
    </message>
    <message>
        <source>Another program on this workstation is updating the device.</source>
        <translation>Ein anderes Programm auf diesem Arbeitsplatz aktualisiert das Gerät.</translation>
    </message>
    <message>
        <source>Wait until it has finished.</source>
        <translation>Warten Sie, bis es fertig ist.</translation>
    </message>
    <message>
        <source>busy: another program is updating it</source>
        <translation>belegt: ein anderes Programm aktualisiert es</translation>
    </message>
    <message>
        <source>%1 - Update Error - -1</source>
        <translation>%1 - Aktualisierungsfehler - -1</translation>
    </message>
    <message>
        <source>A problem occurred during the firmware upgrade.</source>
        <translation>Bei der Firmware-Aktualisierung ist ein Problem aufgetreten.</translation>
    </message>
    <message>
        <source>push not confirmed</source>
        <translation>Übertragung nicht bestätigt</translation>
    </message>
</context>
<context>
    <name>UpdateProgress</name>
    <message>
        <source>Downloading the firmware</source>
        <translation>Firmware wird heruntergeladen</translation>
    </message>
    <message>
        <source>Writing the firmware</source>
        <translation>Firmware wird geschrieben</translation>
    </message>
    <message>
        <source>Verifying the card</source>
        <translation>Karte wird geprüft</translation>
    </message>
    <message>
        <source>Pushing the firmware to the camera</source>
        <translation>Firmware wird auf die Kamera übertragen</translation>
    </message>
    <message>
        <source>Saving the firmware in the folder</source>
        <translation>Firmware wird im Ordner gespeichert</translation>
    </message>
    <message>
        <source>Verifying the saved copy</source>
        <translation>Gespeicherte Kopie wird geprüft</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>No data for %1: the download gives up in %2</source>
        <translation>Keine Daten seit %1: der Download bricht in %2 ab</translation>
    </message>
    <message>
        <source>%1 elapsed</source>
        <translation>%1 vergangen</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source> at %1/s</source>
        <translation> mit %1/s</translation>
    </message>
    <message>
        <source>, %1 left</source>
        <translation>, noch %1</translation>
    </message>
</context>
</TS>
