<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>CommandLine</name>
    <message>
        <source>Updates the firmware of a VORN Kelvo Pro Wired controller.</source>
        <translation>Actualiza el firmware de un mando VORN Kelvo Pro Wired.</translation>
    </message>
    <message>
        <source>Runs one update without a user and saves a picture of every page into &lt;dir&gt;.</source>
        <translation>Realiza una actualización sin usuario y guarda una imagen de cada página en &lt;dir&gt;.</translation>
    </message>
    <message>
        <source>Seconds the walkthrough may take to reach the finished page (default 180).</source>
        <translation>Segundos que puede tardar el recorrido en llegar a la página final (180 por defecto).</translation>
    </message>
    <message>
        <source>Seconds the finished page stays before the walkthrough ends.</source>
        <translation>Segundos que la página final permanece antes de que termine el recorrido.</translation>
    </message>
    <message>
        <source>Updates from a terminal; see kelvo-updater --cli --help.</source>
        <translation>Actualiza desde una terminal; consulte kelvo-updater --cli --help.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argumento inesperado: %1</translation>
    </message>
    <message>
        <source>Opens a window of its own even when one is already open in this session.</source>
        <translation>Abre una ventana propia aunque ya haya una abierta en esta sesión.</translation>
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
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;KELVO: ACTUALIZAR FIRMWARE&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Click and hold the left thumbstick while inserting</source>
        <translation>Mantenga pulsado el stick izquierdo al conectar</translation>
    </message>
    <message>
        <source>the USB cable to enter update mode</source>
        <translation>el cable USB para entrar en modo actualizar</translation>
    </message>
    <message>
        <source>Current firmware version:</source>
        <translation>Versión actual:</translation>
    </message>
    <message>
        <source>The controller did not confirm that its old firmware was erased.</source>
        <translation>El mando no confirmó que se hubiera borrado su firmware anterior.</translation>
    </message>
    <message>
        <source>The controller did not confirm that it received the whole new firmware.</source>
        <translation>El mando no confirmó que hubiera recibido todo el firmware nuevo.</translation>
    </message>
    <message>
        <source>The firmware image changed before it could be written, so it was not sent.</source>
        <translation>La imagen del firmware cambió antes de poder escribirse, así que no se envió.</translation>
    </message>
    <message>
        <source>The update did not finish. Unplug the controller, hold the left stick, plug it in again, then click UPDATE.</source>
        <translation>La actualización no terminó. Desconecte el mando, mantenga pulsado el stick izquierdo, vuelva a conectarlo y haga clic en ACTUALIZAR.</translation>
    </message>
    <message>
        <source>The new firmware is written. Unplug the controller and plug it in again to start it.</source>
        <translation>El firmware nuevo está escrito. Desconecte el mando y vuelva a conectarlo para iniciarlo.</translation>
    </message>
    <message>
        <source>What happened is kept in %1. Send that file, or the details below, to support.</source>
        <translation>Lo ocurrido queda guardado en %1. Envíe ese archivo, o los detalles de abajo, al servicio de asistencia.</translation>
    </message>
    <message>
        <source>error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Kelvo Updater version %1</source>
        <translation>Kelvo Updater, versión %1</translation>
    </message>
    <message>
        <source>The controller is plugged in, but this user may not open it. Install the updater&apos;s udev rule, then plug the controller in again:
60-kelvo-updater.rules</source>
        <translation>El mando está conectado, pero este usuario no puede abrirlo. Instale la regla de udev del actualizador y vuelva a conectar el mando:
60-kelvo-updater.rules</translation>
    </message>
    <message>
        <source>The firmware image could not be prepared, so nothing on the controller was changed. Tried: %1. Free some space there, or set TMPDIR to a folder of your own that has free space, then click UPDATE to try again.</source>
        <translation>No se pudo preparar la imagen del firmware, así que no se cambió nada en el mando. Se probó: %1. Libere espacio allí o ponga en TMPDIR una carpeta propia con espacio libre y haga clic de nuevo en ACTUALIZAR.</translation>
    </message>
    <message>
        <source>Another program is using the controller. Close the other updater, or wait until it has finished: the update is offered here once the controller is free.</source>
        <translation>Otro programa está usando el mando. Cierre el otro actualizador o espere a que termine: la actualización se ofrecerá aquí cuando el mando quede libre.</translation>
    </message>
    <message>
        <source>The update is being finished. Keep the controller plugged in: the updater closes by itself once the controller has restarted.</source>
        <translation>La actualización se está terminando. Mantenga el mando conectado: el actualizador se cerrará solo cuando el mando se haya reiniciado.</translation>
    </message>
    <message>
        <source>none</source>
        <translation>ninguna</translation>
    </message>
    <message>
        <source>1  HOLD THE LEFT STICK DOWN</source>
        <translation>1  MANTENGA PULSADO EL STICK IZQUIERDO</translation>
    </message>
    <message>
        <source>2  PLUG IN THE USB CABLE</source>
        <translation>2  CONECTE EL CABLE USB</translation>
    </message>
    <message>
        <source>WAITING FOR THE CONTROLLER</source>
        <translation>ESPERANDO EL MANDO</translation>
    </message>
    <message>
        <source>YOUR CONTROLLER IS UP TO DATE</source>
        <translation>SU MANDO ESTÁ ACTUALIZADO</translation>
    </message>
    <message>
        <source>PRODUCT</source>
        <translation>PRODUCTO</translation>
    </message>
    <message>
        <source>No update is needed. You can unplug the controller.</source>
        <translation>No hace falta actualizar. Puede desconectar el mando.</translation>
    </message>
    <message>
        <source>FIRMWARE UPDATE AVAILABLE</source>
        <translation>ACTUALIZACIÓN DE FIRMWARE DISPONIBLE</translation>
    </message>
    <message>
        <source>New firmware version:</source>
        <translation>Versión nueva:</translation>
    </message>
    <message>
        <source>UPDATING FIRMWARE</source>
        <translation>ACTUALIZANDO EL FIRMWARE</translation>
    </message>
    <message>
        <source>Writing the new firmware to the controller</source>
        <translation>Escribiendo el firmware nuevo en el mando</translation>
    </message>
    <message>
        <source>DO NOT UNPLUG THE CONTROLLER</source>
        <translation>NO DESCONECTE EL MANDO</translation>
    </message>
    <message>
        <source>UPDATE COMPLETE</source>
        <translation>ACTUALIZACIÓN COMPLETADA</translation>
    </message>
    <message>
        <source>You can now unplug the controller.</source>
        <translation>Ya puede desconectar el mando.</translation>
    </message>
    <message>
        <source>Firmware version:</source>
        <translation>Versión de firmware:</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>Erases the controller&apos;s firmware and writes the new version to it.</source>
        <translation>Borra el firmware del mando y escribe en él la versión nueva.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Ends the updater.</source>
        <translation>Cierra el actualizador.</translation>
    </message>
    <message>
        <source>Update progress</source>
        <translation>Progreso de la actualización</translation>
    </message>
    <message>
        <source>How much of the new firmware the controller has received.</source>
        <translation>Cuánto del firmware nuevo ha recibido ya el mando.</translation>
    </message>
    <message>
        <source>Waiting for the controller</source>
        <translation>Esperando el mando</translation>
    </message>
    <message>
        <source>UPDATE</source>
        <translation>ACTUALIZAR</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>CERRAR</translation>
    </message>
</context>
</TS>
