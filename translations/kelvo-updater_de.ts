<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CommandLine</name>
    <message>
        <source>Updates the firmware of a VORN Kelvo Pro Wired controller.</source>
        <translation>Aktualisiert die Firmware eines VORN Kelvo Pro Wired-Controllers.</translation>
    </message>
    <message>
        <source>Runs one update without a user and saves a picture of every page into &lt;dir&gt;.</source>
        <translation>Führt ein Update ohne Benutzer aus und speichert ein Bild jeder Seite in &lt;dir&gt;.</translation>
    </message>
    <message>
        <source>Seconds the walkthrough may take to reach the finished page (default 180).</source>
        <translation>Sekunden, in denen der Durchlauf die Abschlussseite erreichen muss (Standard 180).</translation>
    </message>
    <message>
        <source>Seconds the finished page stays before the walkthrough ends.</source>
        <translation>Sekunden, die die Abschlussseite stehen bleibt, bevor der Durchlauf endet.</translation>
    </message>
    <message>
        <source>Updates from a terminal; see kelvo-updater --cli --help.</source>
        <translation>Aktualisiert im Terminal; siehe kelvo-updater --cli --help.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>Opens a window of its own even when one is already open in this session.</source>
        <translation>Öffnet ein eigenes Fenster, auch wenn in dieser Sitzung schon eines offen ist.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Kelvo Updater</source>
        <translation>Kelvo Updater</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;KELVO FIRMWARE UPDATER&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;KELVO FIRMWARE-UPDATE&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Click and hold the left thumbstick while inserting</source>
        <translation>Klicken und halten Sie den linken Stick, während</translation>
    </message>
    <message>
        <source>the USB cable to enter update mode</source>
        <translation>Sie das USB-Kabel einstecken (Update-Modus)</translation>
    </message>
    <message>
        <source>Current firmware version:</source>
        <translation>Aktuelle Version:</translation>
    </message>
    <message>
        <source>The controller did not confirm that its old firmware was erased.</source>
        <translation>Der Controller hat nicht bestätigt, dass seine alte Firmware gelöscht wurde.</translation>
    </message>
    <message>
        <source>The controller did not confirm that it received the whole new firmware.</source>
        <translation>Der Controller hat nicht bestätigt, dass er die ganze neue Firmware erhalten hat.</translation>
    </message>
    <message>
        <source>The firmware image changed before it could be written, so it was not sent.</source>
        <translation>Das Firmware-Abbild hat sich vor dem Schreiben verändert und wurde deshalb nicht gesendet.</translation>
    </message>
    <message>
        <source>The update did not finish. Unplug the controller, hold the left stick, plug it in again, then click UPDATE.</source>
        <translation>Das Update wurde nicht abgeschlossen. Ziehen Sie den Controller ab, halten Sie den linken Stick gedrückt, stecken Sie ihn wieder ein und klicken Sie dann auf UPDATE.</translation>
    </message>
    <message>
        <source>The new firmware is written. Unplug the controller and plug it in again to start it.</source>
        <translation>Die neue Firmware ist geschrieben. Ziehen Sie den Controller ab und stecken Sie ihn wieder ein, um sie zu starten.</translation>
    </message>
    <message>
        <source>What happened is kept in %1. Send that file, or the details below, to support.</source>
        <translation>Der Ablauf ist in %1 festgehalten. Senden Sie diese Datei oder die Details unten an den Support.</translation>
    </message>
    <message>
        <source>error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Kelvo Updater version %1</source>
        <translation>Kelvo Updater, Version %1</translation>
    </message>
    <message>
        <source>The controller is plugged in, but this user may not open it. Install the updater&apos;s udev rule, then plug the controller in again:
60-kelvo-updater.rules</source>
        <translation>Der Controller steckt, aber dieser Benutzer darf ihn nicht öffnen. Installieren Sie die udev-Regel des Updaters und stecken Sie ihn neu ein:
60-kelvo-updater.rules</translation>
    </message>
    <message>
        <source>The firmware image could not be prepared, so nothing on the controller was changed. Tried: %1. Free some space there, or set TMPDIR to a folder of your own that has free space, then click UPDATE to try again.</source>
        <translation>Das Firmware-Abbild konnte nicht vorbereitet werden, daher wurde am Controller nichts geändert. Versucht: %1. Schaffen Sie dort Platz oder setzen Sie TMPDIR auf einen eigenen Ordner mit freiem Platz und klicken Sie dann erneut auf UPDATE.</translation>
    </message>
    <message>
        <source>Another program is using the controller. Close the other updater, or wait until it has finished: the update is offered here once the controller is free.</source>
        <translation>Ein anderes Programm verwendet den Controller. Beenden Sie das andere Update-Programm oder warten Sie, bis es fertig ist: Das Update wird hier angeboten, sobald der Controller frei ist.</translation>
    </message>
    <message>
        <source>The update is being finished. Keep the controller plugged in: the updater closes by itself once the controller has restarted.</source>
        <translation>Das Update wird abgeschlossen. Lassen Sie den Controller eingesteckt: Das Programm schließt sich von selbst, sobald der Controller neu gestartet ist.</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>1  HOLD THE LEFT STICK DOWN</source>
        <translation>1  LINKEN STICK GEDRÜCKT HALTEN</translation>
    </message>
    <message>
        <source>2  PLUG IN THE USB CABLE</source>
        <translation>2  USB-KABEL EINSTECKEN</translation>
    </message>
    <message>
        <source>WAITING FOR THE CONTROLLER</source>
        <translation>WARTE AUF DEN CONTROLLER</translation>
    </message>
    <message>
        <source>YOUR CONTROLLER IS UP TO DATE</source>
        <translation>IHR CONTROLLER IST AKTUELL</translation>
    </message>
    <message>
        <source>PRODUCT</source>
        <translation>PRODUKT</translation>
    </message>
    <message>
        <source>No update is needed. You can unplug the controller.</source>
        <translation>Kein Update erforderlich. Sie können den Controller abziehen.</translation>
    </message>
    <message>
        <source>FIRMWARE UPDATE AVAILABLE</source>
        <translation>FIRMWARE-UPDATE VERFÜGBAR</translation>
    </message>
    <message>
        <source>New firmware version:</source>
        <translation>Neue Version:</translation>
    </message>
    <message>
        <source>UPDATING FIRMWARE</source>
        <translation>FIRMWARE WIRD AKTUALISIERT</translation>
    </message>
    <message>
        <source>Writing the new firmware to the controller</source>
        <translation>Die neue Firmware wird geschrieben</translation>
    </message>
    <message>
        <source>DO NOT UNPLUG THE CONTROLLER</source>
        <translation>CONTROLLER NICHT ABZIEHEN</translation>
    </message>
    <message>
        <source>UPDATE COMPLETE</source>
        <translation>UPDATE ABGESCHLOSSEN</translation>
    </message>
    <message>
        <source>You can now unplug the controller.</source>
        <translation>Sie können den Controller jetzt abziehen.</translation>
    </message>
    <message>
        <source>Firmware version:</source>
        <translation>Firmware-Version:</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Erases the controller&apos;s firmware and writes the new version to it.</source>
        <translation>Löscht die Firmware des Controllers und schreibt die neue Version darauf.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Ends the updater.</source>
        <translation>Beendet das Update-Programm.</translation>
    </message>
    <message>
        <source>Update progress</source>
        <translation>Update-Fortschritt</translation>
    </message>
    <message>
        <source>How much of the new firmware the controller has received.</source>
        <translation>Wie viel der neuen Firmware der Controller schon erhalten hat.</translation>
    </message>
    <message>
        <source>Waiting for the controller</source>
        <translation>Warte auf den Controller</translation>
    </message>
    <message>
        <source>UPDATE</source>
        <translation>UPDATE</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>SCHLIESSEN</translation>
    </message>
</context>
</TS>
