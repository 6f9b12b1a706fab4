<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>CameraCommands</name>
    <message>
        <source>%1: %2 - Detection Error</source>
        <translation>%1: %2 - Error de detección</translation>
    </message>
    <message>
        <source>cannot load the catalogue from %1: %2</source>
        <translation>no se puede cargar el catálogo desde %1: %2</translation>
    </message>
    <message>
        <source>no camera %1 is attached</source>
        <translation>no hay ninguna cámara %1 conectada</translation>
    </message>
    <message>
        <source>nothing to update: no camera attached, or none of the ones named</source>
        <translation>nada que actualizar: no hay ninguna cámara conectada, o ninguna de las indicadas</translation>
    </message>
</context>
<context>
    <name>CameraNames</name>
    <message>
        <source>USB debugging %1</source>
        <translation>depuración USB %1</translation>
    </message>
</context>
<context>
    <name>CameraRows</name>
    <message>
        <source>updating</source>
        <translation>actualizando</translation>
    </message>
    <message>
        <source>write-protected — slide the card&apos;s lock switch</source>
        <translation>protegida contra escritura — mueva el interruptor de bloqueo de la tarjeta</translation>
    </message>
    <message>
        <source>needs %1</source>
        <translation>necesita %1</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>actualizada</translation>
    </message>
    <message>
        <source>none</source>
        <translation>ninguna</translation>
    </message>
    <message>
        <source>USB debugging, serial %1</source>
        <translation>depuración USB, número de serie %1</translation>
    </message>
    <message>
        <source>%1
Catalogue version: %2
Brand reported: %3
Found on: %4</source>
        <translation>%1
Versión del catálogo: %2
Marca indicada: %3
Encontrada en: %4</translation>
    </message>
    <message>
        <source>slot %1</source>
        <translation>ranura %1</translation>
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
        <translation>%1  %2  instalada %3, disponible %4, marca %5, %6%7</translation>
    </message>
    <message>
        <source>none</source>
        <translation>ninguna</translation>
    </message>
    <message>
        <source>needs an update</source>
        <translation>necesita una actualización</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>actualizada</translation>
    </message>
    <message>
        <source>, slot %1</source>
        <translation>, ranura %1</translation>
    </message>
    <message>
        <source>, slot %1 (%2)</source>
        <translation>, ranura %1 (%2)</translation>
    </message>
    <message>
        <source>Unable to read version info.</source>
        <translation>No se puede leer la información de versión.</translation>
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
        <translation>Órdenes:
  list     una pasada de detección; cada cámara conectada en una línea propia
  update   actualiza las cámaras indicadas, o todas las conectadas (--all, el
           valor por omisión), a la vez; una línea de resultado por cámara
  watch    sigue en marcha y actualiza cada cámara en cuanto se conecta, hasta
           Ctrl-C o SIGTERM
  history  el registro de cada actualización hecha en este puesto de trabajo
  fetch    copia el catálogo y las imágenes en DIR, para --source DIR;
           --sign añade una declaración del catálogo firmada con la clave
  keys     generate crea un par de claves de firma, FILE y FILE.pub; trust añade
           una clave pública a la lista de confianza de este puesto; list muestra
           la lista. Una vez que se confía en una clave, --source solo acepta
           carpetas y servidores espejo con una declaración firmada por una de ellas
  slots    los nombres dados a las ranuras USB; name da a la ranura en PORTPATH
           (tal como la muestra list, p. ej. 1-4.3) un nombre, que aparece allí
           donde se nombra su cámara (un NAME vacío lo olvida)

Una cámara se nombra por el punto de montaje de su tarjeta, o adb:SERIAL.

Estado de salida:
  0    todas las cámaras pedidas están actualizadas o ya lo estaban
  1    al menos una actualización ha fallado
  2    nada que hacer: no hay cámaras conectadas, o ninguna coincide con los
       identificadores dados
  3    no se pudo cargar o leer el catálogo, o se rechaza su firma
  64   la línea de órdenes es incorrecta
  130  update: detenido por Ctrl-C (SIGINT)
  143  update: detenido por SIGTERM
</translation>
    </message>
    <message>
        <source>see vek-updater-cli --help</source>
        <translation>consulte vek-updater-cli --help</translation>
    </message>
    <message>
        <source>Updates the firmware of VEK cameras plugged in by USB, for scripted stations.</source>
        <translation>Actualiza el firmware de las cámaras VEK conectadas por USB, para estaciones automatizadas con scripts.</translation>
    </message>
    <message>
        <source>Shows this help.</source>
        <translation>Muestra esta ayuda.</translation>
    </message>
    <message>
        <source>Shows the version.</source>
        <translation>Muestra la versión.</translation>
    </message>
    <message>
        <source>JSON Lines on standard output, and nothing else there.</source>
        <translation>JSON Lines en la salida estándar, y nada más allí.</translation>
    </message>
    <message>
        <source>history: comma-separated values.</source>
        <translation>history: valores separados por comas.</translation>
    </message>
    <message>
        <source>update: every attached camera.</source>
        <translation>update: todas las cámaras conectadas.</translation>
    </message>
    <message>
        <source>history: records from DATE on: YYYY-MM-DD (UTC), or an ISO 8601 time with Z or an offset, as 2026-12-07T15:00+01:00.</source>
        <translation>history: registros desde DATE: AAAA-MM-DD (UTC), o una hora ISO 8601 con Z o un desfase, como 2026-12-07T15:00+01:00.</translation>
    </message>
    <message>
        <source>Take the catalogue and the images from DIR, or from the https address of a mirror, instead of the maker&apos;s server.</source>
        <translation>Tomar el catálogo y las imágenes de DIR, o de la dirección https de un servidor espejo, en lugar del servidor del fabricante.</translation>
    </message>
    <message>
        <source>list, update, watch: keep the station&apos;s metrics in DIR/vek-updater-cli.prom for the node exporter&apos;s textfile collector, after every update and once a minute.</source>
        <translation>list, update, watch: guardar las métricas de la estación en DIR/vek-updater-cli.prom para el recolector textfile del node exporter, tras cada actualización y una vez por minuto.</translation>
    </message>
    <message>
        <source>list, update, watch: the bench&apos;s name in its metrics and journal entries (default: the host name).</source>
        <translation>list, update, watch: el nombre del banco en sus métricas y entradas del diario (por omisión: el nombre del equipo).</translation>
    </message>
    <message>
        <source>fetch: sign the folder with the private key in KEYFILE.</source>
        <translation>fetch: firmar la carpeta con la clave privada de KEYFILE.</translation>
    </message>
    <message>
        <source>fetch --sign: the statement holds for DAYS days (%1).</source>
        <translation>fetch --sign: la declaración es válida durante DAYS días (%1).</translation>
    </message>
    <message>
        <source>keys generate, keys trust: the signer&apos;s name (the file&apos;s name).</source>
        <translation>keys generate, keys trust: el nombre del firmante (el del archivo).</translation>
    </message>
    <message>
        <source>list, update, watch, history, fetch, keys or slots.</source>
        <translation>list, update, watch, history, fetch, keys o slots.</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>no se ha indicado ninguna orden</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>orden desconocida %1</translation>
    </message>
    <message>
        <source>%1 takes no further words: %2</source>
        <translation>%1 no admite más palabras: %2</translation>
    </message>
    <message>
        <source>--all goes with update, and without camera ids</source>
        <translation>--all va con update, y sin identificadores de cámara</translation>
    </message>
    <message>
        <source>--csv goes with history, and not with --json</source>
        <translation>--csv va con history, y no con --json</translation>
    </message>
    <message>
        <source>--since goes with history</source>
        <translation>--since va con history</translation>
    </message>
    <message>
        <source>--metrics-dir and --station go with list, update and watch</source>
        <translation>--metrics-dir y --station van con list, update y watch</translation>
    </message>
    <message>
        <source>fetch needs a folder, and prints no JSON</source>
        <translation>fetch necesita una carpeta, y no escribe JSON</translation>
    </message>
    <message>
        <source>--sign and --expires go with fetch</source>
        <translation>--sign y --expires van con fetch</translation>
    </message>
    <message>
        <source>--expires goes with --sign</source>
        <translation>--expires va con --sign</translation>
    </message>
    <message>
        <source>--name goes with keys generate and keys trust</source>
        <translation>--name va con keys generate y keys trust</translation>
    </message>
    <message>
        <source>keys: generate FILE, trust PUBFILE (either with a plain --name), or list (the only one with --json)</source>
        <translation>keys: generate FILE, trust PUBFILE (ambos con un --name sencillo), o list (el único con --json)</translation>
    </message>
    <message>
        <source>--expires: a number of days from 1 to %1</source>
        <translation>--expires: un número de días de 1 a %1</translation>
    </message>
    <message>
        <source>slots: name PORTPATH NAME, or nothing to list them (the only one with --json)</source>
        <translation>slots: name PORTPATH NAME, o nada para listarlas (lo único con --json)</translation>
    </message>
    <message>
        <source>--since: not a date, nor a time with Z or an offset: %1</source>
        <translation>--since: no es una fecha, ni una hora con Z o un desfase: %1</translation>
    </message>
</context>
<context>
    <name>FetchCommand</name>
    <message>
        <source>cannot load the catalogue from %1: %2</source>
        <translation>no se puede cargar el catálogo desde %1: %2</translation>
    </message>
    <message>
        <source>not in the catalogue: %1</source>
        <translation>no figura en el catálogo: %1</translation>
    </message>
    <message>
        <source>%1: no image to fetch: the link %2 names no plain file of its own, or no valid checksum comes with it</source>
        <translation>%1: ninguna imagen que descargar: el enlace %2 no nombra un archivo propio, o no lo acompaña una suma de comprobación válida</translation>
    </message>
    <message>
        <source>present</source>
        <translation>presente</translation>
    </message>
    <message>
        <source>fetched</source>
        <translation>descargada</translation>
    </message>
    <message>
        <source>failed: the folder %1 did not take it: %2</source>
        <translation>fallo: la carpeta %1 no la ha aceptado: %2</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fallo: %1</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>Update history</source>
        <translation>Historial de actualizaciones</translation>
    </message>
    <message>
        <source>All models</source>
        <translation>Todos los modelos</translation>
    </message>
    <message>
        <source>All outcomes</source>
        <translation>Todos los resultados</translation>
    </message>
    <message>
        <source>Successful</source>
        <translation>Correctas</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fallidas</translation>
    </message>
    <message>
        <source>Up to date</source>
        <translation>Actualizadas</translation>
    </message>
    <message>
        <source>Export CSV…</source>
        <translation>Exportar CSV…</translation>
    </message>
    <message>
        <source>&amp;Model:</source>
        <translation>&amp;Modelo:</translation>
    </message>
    <message>
        <source>&amp;Outcome:</source>
        <translation>&amp;Resultado:</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Resultado</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Hora</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Cámara</translation>
    </message>
    <message>
        <source>From</source>
        <translation>De</translation>
    </message>
    <message>
        <source>To</source>
        <translation>A</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programa</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Actualizaciones</translation>
    </message>
    <message>
        <source>Reading the history…</source>
        <translation>Leyendo el historial…</translation>
    </message>
    <message>
        <source>No history: %1</source>
        <translation>Sin historial: %1</translation>
    </message>
    <message>
        <source>No update has been recorded yet.</source>
        <translation>Todavía no se ha registrado ninguna actualización.</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n update(s)</source>
        <translation>
            <numerusform>%1 de %n actualización</numerusform>
            <numerusform>%1 de %n actualizaciones</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n older ones are not shown (vek-updater-cli history lists them all)</source>
        <translation>
            <numerusform>; no se muestra %n más antigua (vek-updater-cli history las lista todas)</numerusform>
            <numerusform>; no se muestran %n más antiguas (vek-updater-cli history las lista todas)</numerusform>
        </translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>Exportar CSV</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Archivos CSV (*.csv)</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>No se puede escribir %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>Exported %n update(s) to %1</source>
        <translation>
            <numerusform>%n actualización exportada a %1</numerusform>
            <numerusform>%n actualizaciones exportadas a %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Keys</name>
    <message>
        <source>keys generate: &quot;%1&quot; is no plain name; give one with --name</source>
        <translation>keys generate: «%1» no es un nombre sencillo; indique uno con --name</translation>
    </message>
    <message>
        <source>%1: private key of %2, keep it on the fetching workstation only
%1.pub: its public key, for vek-updater-cli keys trust on every bench</source>
        <translation>%1: clave privada de %2, guárdela solo en el puesto que descarga
%1.pub: su clave pública, para vek-updater-cli keys trust en cada banco</translation>
    </message>
    <message>
        <source>%1 trusted as %2: --source now takes only folders and mirrors signed by a trusted key</source>
        <translation>%1 de confianza como %2: --source ahora solo acepta carpetas y servidores espejo firmados con una clave de confianza</translation>
    </message>
    <message>
        <source>%1: it verifies nothing, but asks for signed folders and mirrors</source>
        <translation>%1: no verifica nada, pero exige carpetas y servidores espejo firmados</translation>
    </message>
    <message>
        <source>%1: no folder or mirror can be checked</source>
        <translation>%1: no se puede comprobar ninguna carpeta ni servidor espejo</translation>
    </message>
    <message>
        <source>no key is trusted: folders and mirrors are taken unsigned</source>
        <translation>no se confía en ninguna clave: se aceptan carpetas y servidores espejo sin firmar</translation>
    </message>
</context>
<context>
    <name>LiveLines</name>
    <message numerus="yes">
        <source>... and %n more under way</source>
        <translation>
            <numerusform>... y %n más en curso</numerusform>
            <numerusform>... y %n más en curso</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Shows this help.</source>
        <translation>Muestra esta ayuda.</translation>
    </message>
    <message>
        <source>Shows the version.</source>
        <translation>Muestra la versión.</translation>
    </message>
    <message>
        <source>Take the catalogue and the images from DIR, or from the https address of a mirror, instead of the maker&apos;s server.</source>
        <translation>Tomar el catálogo y las imágenes de DIR, o de la dirección https de un servidor espejo, en lugar del servidor del fabricante.</translation>
    </message>
    <message>
        <source>Updates the firmware of VEK cameras plugged in by USB, from the maker&apos;s server, a mirror of it, or a folder that vek-updater-cli fetch filled.</source>
        <translation>Actualiza el firmware de las cámaras VEK conectadas por USB, desde el servidor del fabricante, un servidor espejo de él o una carpeta llenada por vek-updater-cli fetch.</translation>
    </message>
    <message>
        <source>Keep the station&apos;s metrics in DIR for the node exporter&apos;s textfile collector (remembered; an empty DIR stops it).</source>
        <translation>Guardar las métricas de la estación en DIR para el recolector textfile del node exporter (se recuerda; un DIR vacío lo detiene).</translation>
    </message>
    <message>
        <source>The bench&apos;s name in its metrics and journal entries (remembered; default: the host name).</source>
        <translation>El nombre del banco en sus métricas y entradas del diario (se recuerda; por omisión: el nombre del equipo).</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Check Firmware</source>
        <translation>Comprobar firmware</translation>
    </message>
    <message>
        <source>Version 1.34</source>
        <translation>Versión 1.34</translation>
    </message>
    <message>
        <source>Update All</source>
        <translation>Actualizar todo</translation>
    </message>
    <message>
        <source>Firmware Source Not Trusted</source>
        <translation>Origen del firmware no fiable</translation>
    </message>
    <message>
        <source>No camera is updated from it.</source>
        <translation>No se actualiza ninguna cámara desde él.</translation>
    </message>
    <message>
        <source>No Internet Connection</source>
        <translation>Sin conexión a Internet</translation>
    </message>
    <message>
        <source>Could not connect to %1 to download device firwmare versions. Please ensure you have proper internet connection and try again.</source>
        <translation>No se pudo conectar con %1 para descargar las versiones de firmware de los dispositivos. Compruebe su conexión a Internet y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>%1 - Detection Error</source>
        <translation>%1 - Error de detección</translation>
    </message>
    <message>
        <source>Unable to read version info.</source>
        <translation>No se puede leer la información de versión.</translation>
    </message>
    <message>
        <source>Please ensure the SD card is plugged in and try again.</source>
        <translation>Compruebe que la tarjeta SD está insertada y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>%1 is being updated already</source>
        <translation>%1 ya se está actualizando</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Historial…</translation>
    </message>
    <message>
        <source>&amp;Update cameras as they are plugged in</source>
        <translation>Act&amp;ualizar las cámaras al conectarlas</translation>
    </message>
    <message>
        <source>&amp;Name this slot…</source>
        <translation>&amp;Nombrar esta ranura…</translation>
    </message>
    <message>
        <source>&amp;Order by slot name</source>
        <translation>&amp;Ordenar por nombre de ranura</translation>
    </message>
    <message>
        <source>Go to the &amp;progress of updates</source>
        <translation>Ir al &amp;progreso de las actualizaciones</translation>
    </message>
    <message>
        <source>No update is under way</source>
        <translation>No hay ninguna actualización en curso</translation>
    </message>
    <message>
        <source>&amp;About vek-updater…</source>
        <translation>&amp;Acerca de vek-updater…</translation>
    </message>
    <message>
        <source>About vek-updater</source>
        <translation>Acerca de vek-updater</translation>
    </message>
    <message>
        <source>vek-updater %1

Updates the firmware of VEK cameras plugged in by USB.</source>
        <translation>vek-updater %1

Actualiza el firmware de las cámaras VEK conectadas por USB.</translation>
    </message>
    <message>
        <source>This camera is on no USB slot of this workstation</source>
        <translation>Esta cámara no está en ninguna ranura USB de este puesto</translation>
    </message>
    <message>
        <source>Name this slot</source>
        <translation>Nombrar esta ranura</translation>
    </message>
    <message>
        <source>Name of the USB slot %1 (empty: no name):</source>
        <translation>Nombre de la ranura USB %1 (vacío: sin nombre):</translation>
    </message>
    <message numerus="yes">
        <source>Updating cameras as they are plugged in: %n updated</source>
        <translation>
            <numerusform>Actualizando las cámaras al conectarlas: %n actualizada</numerusform>
            <numerusform>Actualizando las cámaras al conectarlas: %n actualizadas</numerusform>
        </translation>
    </message>
    <message>
        <source>Firmware from the folder %1</source>
        <translation>Firmware de la carpeta %1</translation>
    </message>
    <message>
        <source>Firmware from the mirror %1</source>
        <translation>Firmware del servidor espejo %1</translation>
    </message>
    <message>
        <source>%1 logo</source>
        <translation>Logotipo de %1</translation>
    </message>
    <message>
        <source>Cameras</source>
        <translation>Cámaras</translation>
    </message>
    <message>
        <source>Enter updates the selected camera; the Menu key or Shift+F10 opens more</source>
        <translation>Intro actualiza la cámara seleccionada; la tecla de menú o Mayús+F10 abre más opciones</translation>
    </message>
    <message>
        <source>Updates every camera that needs it (%1)</source>
        <translation>Actualiza todas las cámaras que lo necesitan (%1)</translation>
    </message>
</context>
<context>
    <name>ProgressWindow</name>
    <message>
        <source>Updating camera firmware</source>
        <translation>Actualizando el firmware de las cámaras</translation>
    </message>
    <message>
        <source>Updates under way</source>
        <translation>Actualizaciones en curso</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Stops every update under way; each camera keeps the firmware it had</source>
        <translation>Detiene todas las actualizaciones en curso; cada cámara conserva el firmware que tenía</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Deteniendo…</translation>
    </message>
    <message>
        <source>Progress of %1</source>
        <translation>Progreso de %1</translation>
    </message>
    <message>
        <source>Done: %1</source>
        <translation>Hecho: %1</translation>
    </message>
    <message>
        <source>Failed: %1</source>
        <translation>Fallo: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n camera(s) done</source>
        <translation>
            <numerusform>%1 de %n cámara terminada</numerusform>
            <numerusform>%1 de %n cámaras terminadas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n failed</source>
        <translation>
            <numerusform>, %n fallida</numerusform>
            <numerusform>, %n fallidas</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 de %2</translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message>
        <source>stopped before it started</source>
        <translation>detenida antes de empezar</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fallo: %1</translation>
    </message>
    <message>
        <source>Update summary</source>
        <translation>Resumen de la actualización</translation>
    </message>
    <message numerus="yes">
        <source>%n updated</source>
        <translation>
            <numerusform>%n actualizada</numerusform>
            <numerusform>%n actualizadas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n up to date</source>
        <translation>
            <numerusform>%n ya al día</numerusform>
            <numerusform>%n ya al día</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n failed</source>
        <translation>
            <numerusform>%n fallida</numerusform>
            <numerusform>%n fallidas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n stopped</source>
        <translation>
            <numerusform>%n detenida</numerusform>
            <numerusform>%n detenidas</numerusform>
        </translation>
    </message>
    <message>
        <source>Cameras of the run</source>
        <translation>Cámaras de la tanda</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Cámara</translation>
    </message>
    <message>
        <source>Where</source>
        <translation>Dónde</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Resultado</translation>
    </message>
    <message>
        <source>Update failed again</source>
        <translation>Volver a actualizar las fallidas</translation>
    </message>
</context>
<context>
    <name>RunViews</name>
    <message>
        <source>updating %1 %</source>
        <translation>actualizando %1 %</translation>
    </message>
    <message>
        <source>updating</source>
        <translation>actualizando</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fallo: %1</translation>
    </message>
</context>
<context>
    <name>UpdateMessage</name>
    <message>
        <source>If error persists, contact customer support for more information.</source>
        <translation>Si el error persiste, póngase en contacto con el servicio de atención al cliente.</translation>
    </message>
    <message>
        <source>%1 - Update Error</source>
        <translation>%1 - Error de actualización</translation>
    </message>
    <message>
        <source>Device is currently not writable.</source>
        <translation>El dispositivo no admite escritura en este momento.</translation>
    </message>
    <message>
        <source>Ensure the SD card is not full or corrupted and try again.</source>
        <translation>Compruebe que la tarjeta SD no está llena ni dañada y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>The firmware file cannot be read from %1.</source>
        <translation>No se puede leer el archivo de firmware desde %1.</translation>
    </message>
    <message>
        <source>Ensure the folder holds what vek-updater-cli fetch put there and try again.</source>
        <translation>Compruebe que la carpeta contiene lo que puso allí vek-updater-cli fetch y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>The required link cannot be reached. %1 could be experiencing issues.</source>
        <translation>No se puede acceder al enlace necesario. Es posible que %1 tenga problemas.</translation>
    </message>
    <message>
        <source>Firmware file read from %1 but checksum mismatch occurred.</source>
        <translation>Se ha leído el archivo de firmware desde %1, pero la suma de comprobación no coincide.</translation>
    </message>
    <message>
        <source>Fetch the firmware into the folder again and try again.</source>
        <translation>Vuelva a descargar el firmware en la carpeta y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>Firmware file downloaded but checksum mismatch occured.</source>
        <translation>Se ha descargado el archivo de firmware, pero la suma de comprobación no coincide.</translation>
    </message>
    <message>
        <source>Please ensure you have proper internet connection and try again.</source>
        <translation>Compruebe su conexión a Internet y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>%1 - Update Successful</source>
        <translation>%1 - Actualización correcta</translation>
    </message>
    <message>
        <source>Please disconnect the USB to finish the update process.</source>
        <translation>Desconecte el cable USB para terminar la actualización.</translation>
    </message>
    <message>
        <source>updated to %1 — unplug to install</source>
        <translation>actualizada a %1 — desconecte para instalar</translation>
    </message>
    <message>
        <source>%1 - No Update Required</source>
        <translation>%1 - No es necesario actualizar</translation>
    </message>
    <message>
        <source>The device selected is up to date.</source>
        <translation>El dispositivo seleccionado está actualizado.</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>actualizada</translation>
    </message>
    <message>
        <source>The required link is not populated.</source>
        <translation>El enlace necesario no está indicado.</translation>
    </message>
    <message>
        <source>no link in the catalogue</source>
        <translation>sin enlace en el catálogo</translation>
    </message>
    <message>
        <source>not in the source folder</source>
        <translation>no está en la carpeta de origen</translation>
    </message>
    <message>
        <source>server unreachable</source>
        <translation>servidor inaccesible</translation>
    </message>
    <message>
        <source>The firmware file cannot be kept on this workstation.</source>
        <translation>No se puede guardar el archivo de firmware en este puesto de trabajo.</translation>
    </message>
    <message>
        <source>Free some space on the workstation&apos;s disk and try again.</source>
        <translation>Libere espacio en el disco del puesto de trabajo y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>workstation disk full</source>
        <translation>disco del puesto lleno</translation>
    </message>
    <message>
        <source>checksum mismatch</source>
        <translation>la suma de comprobación no coincide</translation>
    </message>
    <message>
        <source>card not writable</source>
        <translation>tarjeta sin escritura posible</translation>
    </message>
    <message>
        <source>the card read back other bytes</source>
        <translation>la tarjeta devolvió otros bytes al releerla</translation>
    </message>
    <message>
        <source>The SD card is write-protected: slide the card&apos;s lock switch and try again.</source>
        <translation>La tarjeta SD está protegida contra escritura: mueva el interruptor de bloqueo de la tarjeta y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>write-protected — slide the card&apos;s lock switch</source>
        <translation>protegida contra escritura — mueva el interruptor de bloqueo de la tarjeta</translation>
    </message>
    <message>
        <source>Device was unplugged before its update was finished.</source>
        <translation>El dispositivo se desconectó antes de terminar su actualización.</translation>
    </message>
    <message>
        <source>It keeps the firmware it had: plug it in again and try again.</source>
        <translation>Conserva el firmware que tenía: vuelva a conectarlo y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>unplugged</source>
        <translation>desconectada</translation>
    </message>
    <message>
        <source>%1 - Update Stopped</source>
        <translation>%1 - Actualización detenida</translation>
    </message>
    <message>
        <source>The update was stopped.</source>
        <translation>Se ha detenido la actualización.</translation>
    </message>
    <message>
        <source>The device keeps the firmware it had.</source>
        <translation>El dispositivo conserva el firmware que tenía.</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>detenida</translation>
    </message>
    <message>
        <source>%1 - Device Busy</source>
        <translation>%1 - Dispositivo ocupado</translation>
    </message>
    <message>
        <source>Another program on this workstation is updating the device.</source>
        <translation>Otro programa de este puesto de trabajo está actualizando el dispositivo.</translation>
    </message>
    <message>
        <source>Wait until it has finished.</source>
        <translation>Espere a que termine.</translation>
    </message>
    <message>
        <source>busy: another program is updating it</source>
        <translation>ocupada: otro programa la está actualizando</translation>
    </message>
    <message>
        <source>%1 - Update Error - -1</source>
        <translation>%1 - Error de actualización - -1</translation>
    </message>
    <message>
        <source>A problem occurred during the firmware upgrade.</source>
        <translation>Se ha producido un problema durante la actualización del firmware.</translation>
    </message>
    <message>
        <source>push not confirmed</source>
        <translation>transferencia no confirmada</translation>
    </message>
</context>
<context>
    <name>UpdateProgress</name>
    <message>
        <source>Downloading the firmware</source>
        <translation>Descargando el firmware</translation>
    </message>
    <message>
        <source>Writing the firmware</source>
        <translation>Escribiendo el firmware</translation>
    </message>
    <message>
        <source>Verifying the card</source>
        <translation>Verificando la tarjeta</translation>
    </message>
    <message>
        <source>Pushing the firmware to the camera</source>
        <translation>Transfiriendo el firmware a la cámara</translation>
    </message>
    <message>
        <source>Saving the firmware in the folder</source>
        <translation>Guardando el firmware en la carpeta</translation>
    </message>
    <message>
        <source>Verifying the saved copy</source>
        <translation>Verificando la copia guardada</translation>
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
        <translation>Sin datos desde hace %1: la descarga se abandona en %2</translation>
    </message>
    <message>
        <source>%1 elapsed</source>
        <translation>%1 transcurridos</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 de %2</translation>
    </message>
    <message>
        <source> at %1/s</source>
        <translation> a %1/s</translation>
    </message>
    <message>
        <source>, %1 left</source>
        <translation>, quedan %1</translation>
    </message>
</context>
</TS>
