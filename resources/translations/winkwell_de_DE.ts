<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>BlinkReminderWidget</name>
    <message>
        <source>just blink ;)</source>
        <translation>einfach blinzeln ;)</translation>
    </message>
</context>
<context>
    <name>BreakReminderWidget</name>
    <message>
        <source>Use drag and drop to change the reminder position.</source>
        <translation>Ziehen Sie die Erinnerung mit der Maus an eine andere Stelle.</translation>
    </message>
    <message>
        <source>winkwell: it is time for your break</source>
        <translation>winkwell: Zeit für Ihre Pause</translation>
    </message>
    <message>
        <source>The reminder disappears after you take a 4 minutes break.</source>
        <translation>Die Erinnerung verschwindet nach einer Pause von 4 Min.</translation>
    </message>
    <message>
        <source>My work is more important than my veins and eyes.</source>
        <translation>Meine Arbeit ist wichtiger als meine Venen und Augen.</translation>
    </message>
    <message>
        <source>SKIP</source>
        <translation>ÜBERSPRINGEN</translation>
    </message>
    <message>
        <source>Give me five more minutes</source>
        <translation>Noch fünf Minuten</translation>
    </message>
    <message>
        <source>SNOOZE (5 min.)</source>
        <translation>SPÄTER (5 Min.)</translation>
    </message>
    <message>
        <source>The reminder disappears after you take a %1 minutes break.</source>
        <translation>Die Erinnerung verschwindet nach einer Pause von %1 Min.</translation>
    </message>
    <message>
        <source>This break was held back until your call ended.</source>
        <translation>Diese Pause wurde bis zum Ende Ihres Gesprächs zurückgehalten.</translation>
    </message>
</context>
<context>
    <name>CameraSettingsDialog</name>
    <message>
        <source>RESET TO DEFAULTS</source>
        <translation>STANDARDWERTE</translation>
    </message>
    <message>
        <source>Camera settings</source>
        <translation>Kameraeinstellungen</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>SCHLIESSEN</translation>
    </message>
    <message>
        <source>This camera has no settings to adjust.</source>
        <translation>Diese Kamera hat keine Einstellungen.</translation>
    </message>
    <message>
        <source>No camera settings: the camera is not connected.</source>
        <translation>Keine Kameraeinstellungen: Die Kamera ist nicht angeschlossen.</translation>
    </message>
    <message>
        <source>Did you allow camera use?</source>
        <translation>Haben Sie die Kameranutzung erlaubt?</translation>
    </message>
    <message>
        <source>Your user account may not use the camera (%1).
Add it to the group &quot;%2&quot;, then log out and back in.</source>
        <translation>Ihr Benutzerkonto darf die Kamera nicht verwenden (%1).
Fügen Sie es der Gruppe „%2“ hinzu, melden Sie sich dann ab und wieder an.</translation>
    </message>
    <message>
        <source>No camera settings: another program is using the camera.</source>
        <translation>Keine Kameraeinstellungen: Ein anderes Programm verwendet die Kamera.</translation>
    </message>
    <message>
        <source>No camera settings: %1 is not a camera.</source>
        <translation>Keine Kameraeinstellungen: %1 ist keine Kamera.</translation>
    </message>
    <message>
        <source>No camera settings: %1 cannot be opened (%2).</source>
        <translation>Keine Kameraeinstellungen: %1 lässt sich nicht öffnen (%2).</translation>
    </message>
    <message>
        <source>APPLY</source>
        <translation>ÜBERNEHMEN</translation>
    </message>
    <message>
        <source>Has no effect now, usually because an automatic mode is on.</source>
        <translation>Wirkt gerade nicht, meist weil eine Automatik eingeschaltet ist.</translation>
    </message>
</context>
<context>
    <name>CameraTimeText</name>
    <message>
        <source>camera test</source>
        <translation>Kameratest</translation>
    </message>
    <message>
        <source>interactive blink reminder</source>
        <translation>interaktive Blinzelerinnerung</translation>
    </message>
    <message>
        <source>blink-rate measurement</source>
        <translation>Messung der Blinzelrate</translation>
    </message>
    <message>
        <source>presence check</source>
        <translation>Anwesenheitsprüfung</translation>
    </message>
    <message>
        <source>finished</source>
        <translation>beendet</translation>
    </message>
    <message>
        <source>no face seen</source>
        <translation>kein Gesicht erkannt</translation>
    </message>
    <message>
        <source>camera error</source>
        <translation>Kamerafehler</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>angehalten</translation>
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
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>Camera time today: %1, this week: %2</source>
        <translation>Kamerazeit heute: %1, diese Woche: %2</translation>
    </message>
    <message>
        <source>The camera has not run in the last 30 days.</source>
        <translation>Die Kamera lief in den letzten 30 Tagen nicht.</translation>
    </message>
    <message>
        <source>Last runs:</source>
        <translation>Letzte Einsätze:</translation>
    </message>
    <message>
        <source>%1, %2, %3 frames, %4</source>
        <translation>%1, %2, %3 Bilder, %4</translation>
    </message>
</context>
<context>
    <name>Downloader</name>
    <message>
        <source>Time remaining</source>
        <translation>Verbleibende Zeit</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Updater</source>
        <translation>Aktualisierung</translation>
    </message>
    <message>
        <source>Downloading updates</source>
        <translation>Aktualisierung wird heruntergeladen</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>of</source>
        <translation>von</translation>
    </message>
    <message>
        <source>about %1 hours</source>
        <translation>etwa %1 Stunden</translation>
    </message>
    <message>
        <source>about one hour</source>
        <translation>etwa eine Stunde</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <source>1 second</source>
        <translation>1 Sekunde</translation>
    </message>
    <message>
        <source>Error, the update could not be downloaded!</source>
        <translation>Fehler: Die Aktualisierung konnte nicht heruntergeladen werden!</translation>
    </message>
    <message>
        <source>Error, the downloaded update is corrupted!</source>
        <translation>Fehler: Die heruntergeladene Aktualisierung ist beschädigt!</translation>
    </message>
    <message>
        <source>Error, the update could not be saved!</source>
        <translation>Fehler: Die Aktualisierung konnte nicht gespeichert werden!</translation>
    </message>
    <message>
        <source>Press OK to download again.</source>
        <translation>Klicken Sie auf OK, um sie erneut herunterzuladen.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Download complete!</source>
        <translation>Download abgeschlossen!</translation>
    </message>
    <message>
        <source>Saved as %1</source>
        <translation>Gespeichert als %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>The downloaded update is missing!</source>
        <translation>Die heruntergeladene Aktualisierung fehlt!</translation>
    </message>
    <message>
        <source>Are you sure you want to cancel the download?</source>
        <translation>Möchten Sie den Download wirklich abbrechen?</translation>
    </message>
</context>
<context>
    <name>ExerciseReminderWidget</name>
    <message>
        <source>Use drag and drop to change the reminder position.</source>
        <translation>Ziehen Sie die Erinnerung mit der Maus an eine andere Stelle.</translation>
    </message>
    <message>
        <source>winkwell eye exercise</source>
        <translation>winkwell: Augenübung</translation>
    </message>
    <message>
        <source>My work is more important than my eyes.</source>
        <translation>Meine Arbeit ist wichtiger als meine Augen.</translation>
    </message>
    <message>
        <source>SKIP</source>
        <translation>ÜBERSPRINGEN</translation>
    </message>
    <message>
        <source>Look out of the window (or towards any other long distance) for 10 sec.</source>
        <translation>Schauen Sie 10 Sek. lang aus dem Fenster (oder in eine andere Ferne).</translation>
    </message>
    <message>
        <source>Blink while squeezing your lids for 10 sec.</source>
        <translation>Blinzeln Sie 10 Sek. lang und kneifen Sie dabei die Augen fest zu.</translation>
    </message>
    <message>
        <source>Move your eyes from side to side for 10 sec.</source>
        <translation>Bewegen Sie Ihre Augen 10 Sek. lang von einer Seite zur anderen.</translation>
    </message>
    <message>
        <source>Rotate your eyes for 10 sec.</source>
        <translation>Lassen Sie Ihre Augen 10 Sek. lang kreisen.</translation>
    </message>
</context>
<context>
    <name>HotkeySet</name>
    <message>
        <source>%1 is already another hotkey</source>
        <translation>%1 ist schon einem anderen Tastenkürzel zugewiesen</translation>
    </message>
    <message>
        <source>hotkeys cannot work on this desktop</source>
        <translation>Tastenkürzel funktionieren in dieser Arbeitsumgebung nicht</translation>
    </message>
    <message>
        <source>%1 is held by the desktop or another program</source>
        <translation>%1 wird von der Arbeitsumgebung oder einem anderen Programm belegt</translation>
    </message>
</context>
<context>
    <name>Model</name>
    <message>
        <source>blink detected</source>
        <translation>Lidschlag erkannt</translation>
    </message>
    <message>
        <source>empty frame received
camera disconnected
or broken or bad cable
or bad driver</source>
        <translation>leeres Bild empfangen
Kamera getrennt
oder defekt, Kabel schlecht
oder Treiber fehlerhaft</translation>
    </message>
    <message>
        <source>camera is occupied or not connected</source>
        <translation>Kamera belegt oder nicht angeschlossen</translation>
    </message>
    <message>
        <source>loading classifiers</source>
        <translation>Klassifikatoren werden geladen</translation>
    </message>
    <message>
        <source>missing file: data.dat or low memory</source>
        <translation>Datei data.dat fehlt oder zu wenig Speicher</translation>
    </message>
</context>
<context>
    <name>StatisticsController</name>
    <message>
        <source>Your blink-rate history cannot be read (%1). New measurements are kept and saved with it once it can be read again.</source>
        <translation>Ihr Verlauf der Lidschlagfrequenz kann nicht gelesen werden (%1). Neue Messungen bleiben erhalten und werden mit ihm gespeichert, sobald er wieder lesbar ist.</translation>
    </message>
    <message>
        <source>Your blink-rate history was damaged. It is kept as &quot;%1&quot;, and a new history has begun.</source>
        <translation>Ihr Verlauf der Lidschlagfrequenz war beschädigt. Er wird als „%1“ aufbewahrt, und ein neuer Verlauf hat begonnen.</translation>
    </message>
    <message>
        <source>That is the history file itself.</source>
        <translation>Das ist die Verlaufsdatei selbst.</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>Version %1 of %2 has been released!</source>
        <translation>Version %1 von %2 ist erschienen!</translation>
    </message>
    <message>
        <source>Would you like to download the update now (size %1MB)?</source>
        <translation>Möchten Sie die Aktualisierung jetzt herunterladen (Größe %1 MB)?</translation>
    </message>
</context>
<context>
    <name>WidgetProxy</name>
    <message>
        <source>Server unreachable or network settings has changed. Please provide valid settings or restart winkwell.</source>
        <translation>Der Server ist nicht erreichbar, oder die Netzwerkeinstellungen haben sich geändert. Bitte geben Sie gültige Einstellungen ein oder starten Sie winkwell neu.</translation>
    </message>
</context>
<context>
    <name>WidgetStatistics</name>
    <message>
        <source>Blinks per minute (bpm)</source>
        <translation>Lidschläge pro Minute</translation>
    </message>
    <message>
        <source>healthy</source>
        <translation>gesund</translation>
    </message>
    <message>
        <source>unknown date</source>
        <translation>unbekanntes Datum</translation>
    </message>
    <message>
        <source>Blink rate:</source>
        <translation>Lidschlagfrequenz:</translation>
    </message>
    <message>
        <source>blinks per minute</source>
        <translation>Lidschläge pro Minute</translation>
    </message>
    <message>
        <source>Average blink duration:</source>
        <translation>Durchschnittliche Lidschlagdauer:</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>Millisekunden</translation>
    </message>
    <message>
        <source>Are you sure to delete all measurements?</source>
        <translation>Möchten Sie wirklich alle Messungen löschen?</translation>
    </message>
    <message>
        <source>Export history</source>
        <translation>Verlauf exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>The history could not be exported to %1:
%2</source>
        <translation>Der Verlauf konnte nicht nach %1 exportiert werden:
%2</translation>
    </message>
    <message>
        <source>%1 %2 %3</source>
        <comment>day of the month, month name, year</comment>
        <translation>%1. %2 %3</translation>
    </message>
</context>
<context>
    <name>WinkwellGUI</name>
    <message>
        <source>Measurements</source>
        <translation>Messungen</translation>
    </message>
    <message>
        <source>Blinks per minute</source>
        <translation>Lidschläge
pro Minute</translation>
    </message>
    <message>
        <source>healthy</source>
        <translation>gesund</translation>
    </message>
    <message>
        <source>Open history</source>
        <translation>Verlauf öffnen</translation>
    </message>
    <message>
        <source>Blink rate:</source>
        <translation>Lidschlagfrequenz:</translation>
    </message>
    <message>
        <source>blinks per minute</source>
        <translation>Lidschläge pro Minute</translation>
    </message>
    <message>
        <source>Average blink duration:</source>
        <translation>Durchschnittliche Lidschlagdauer:</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>Millisekunden</translation>
    </message>
    <message>
        <source>Blink-rate history</source>
        <translation>Verlauf der Lidschlagfrequenz</translation>
    </message>
    <message>
        <source>winkwell - settings</source>
        <translation>winkwell – Einstellungen</translation>
    </message>
    <message>
        <source>winkwell - about</source>
        <translation>winkwell – Über</translation>
    </message>
    <message>
        <source>Test blink detection</source>
        <translation>Lidschlagerkennung testen</translation>
    </message>
    <message>
        <source>is running in background. You can quit Winkwell by opening the right-click menu at this tray icon.</source>
        <comment>trayicon</comment>
        <translation>läuft im Hintergrund. Sie können Winkwell über das Kontextmenü dieses Symbols im Infobereich beenden.</translation>
    </message>
    <message>
        <source>CHANGE REMINDER POSITION</source>
        <translation>POSITION DER ERINNERUNG ÄNDERN</translation>
    </message>
    <message>
        <source>version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Blink measurement completed</source>
        <translation>Lidschlagmessung abgeschlossen</translation>
    </message>
    <message>
        <source>Blink rate: </source>
        <translation>Lidschlagfrequenz: </translation>
    </message>
    <message>
        <source> blinks per minute</source>
        <translation> Lidschläge pro Minute</translation>
    </message>
    <message>
        <source>SAVE NEW POSITION</source>
        <translation>NEUE POSITION SPEICHERN</translation>
    </message>
    <message>
        <source>%1 (no access)</source>
        <translation>%1 (kein Zugriff)</translation>
    </message>
    <message>
        <source>Your user may not open %1. Add it to the group &quot;%2&quot; (for example: sudo adduser $USER %2), then log in again.</source>
        <translation>Ihr Benutzer darf %1 nicht öffnen. Fügen Sie ihn der Gruppe „%2“ hinzu (zum Beispiel: sudo adduser $USER %2), und melden Sie sich dann erneut an.</translation>
    </message>
    <message>
        <source>Measurement will start shortly.</source>
        <translation>Die Messung beginnt in Kürze.</translation>
    </message>
    <message>
        <source>No measurement taken yet. Your blink rate is measured approximately every 30 minutes.</source>
        <translation>Noch keine Messung. Ihre Lidschlagfrequenz wird etwa alle 30 Minuten gemessen.</translation>
    </message>
    <message>
        <source>Measurement in progress</source>
        <translation>Messung läuft</translation>
    </message>
    <message>
        <source>Winkwell observes your blinks (blink training is active).</source>
        <translation>Winkwell beobachtet Ihr Blinzeln (Blinzeltraining ist aktiv).</translation>
    </message>
    <message>
        <source>Error:</source>
        <translation>Fehler:</translation>
    </message>
    <message>
        <source> insufficient memory RAM or missing data.dat.</source>
        <translation> Zu wenig Arbeitsspeicher, oder data.dat fehlt.</translation>
    </message>
    <message>
        <source> camera is used by other software.</source>
        <translation> Die Kamera wird von einem anderen Programm verwendet.</translation>
    </message>
    <message>
        <source> low frame per second, cheap camera or bad light conditions.</source>
        <translation> Zu wenige Bilder pro Sekunde, einfache Kamera oder schlechtes Licht.</translation>
    </message>
    <message>
        <source>Face not detected, please test blink detection performance (webcam icon).</source>
        <translation>Kein Gesicht erkannt. Bitte testen Sie die Lidschlagerkennung (Kamerasymbol).</translation>
    </message>
    <message>
        <source>More than one face detected.</source>
        <translation>Mehr als ein Gesicht erkannt.</translation>
    </message>
    <message>
        <source> empty frame received, camera unplugged? (or bad cable or broken camera or bad driver).</source>
        <translation> Leeres Bild empfangen, ist die Kamera ausgesteckt? (Oder Kabel, Kamera oder Treiber defekt.)</translation>
    </message>
    <message>
        <source> camera is not connected.</source>
        <translation> Die Kamera ist nicht angeschlossen.</translation>
    </message>
    <message>
        <source>no error</source>
        <translation>kein Fehler</translation>
    </message>
    <message>
        <source>winkwell - presentation mode</source>
        <translation>winkwell – Präsentationsmodus</translation>
    </message>
    <message>
        <source>winkwell camera use paused</source>
        <translation>winkwell: Kameranutzung pausiert</translation>
    </message>
    <message>
        <source>winkwell - in a call: reminders wait</source>
        <translation>winkwell - im Gespräch: Erinnerungen warten</translation>
    </message>
    <message>
        <source>Winkwell looks whether you are at the screen.</source>
        <translation>Winkwell schaut, ob Sie am Bildschirm sind.</translation>
    </message>
</context>
<context>
    <name>widgetProxy</name>
    <message>
        <source>Proxy settings</source>
        <translation>Proxy-Einstellungen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>use these settings</source>
        <translation>diese Einstellungen verwenden</translation>
    </message>
    <message>
        <source>Veryfing connection, please wait...</source>
        <translation>Verbindung wird geprüft, bitte warten …</translation>
    </message>
    <message>
        <source>port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>username:</source>
        <translation>Benutzername:</translation>
    </message>
    <message>
        <source>password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>SPEICHERN</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
</context>
<context>
    <name>widgetStatistics</name>
    <message>
        <source>Statistics</source>
        <translation>Statistik</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>Startdatum</translation>
    </message>
    <message>
        <source>End date</source>
        <translation>Enddatum</translation>
    </message>
    <message>
        <source>Save the whole history as a CSV file for a spreadsheet</source>
        <translation>Den gesamten Verlauf als CSV-Datei für eine Tabellenkalkulation speichern</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>EXPORTIEREN</translation>
    </message>
    <message>
        <source>DELETE HISTORY</source>
        <translation>VERLAUF LÖSCHEN</translation>
    </message>
</context>
<context>
    <name>widget_winkwell</name>
    <message>
        <source>winkwell</source>
        <translation>winkwell</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Test blink detection</source>
        <translation>Lidschlagerkennung testen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Minimize to tray icon</source>
        <translation>In den Infobereich minimieren</translation>
    </message>
    <message>
        <source>High screen brightness compared to the room light lowers the blink rate.
Not compatible with other tools that change the screen brightness or colour.</source>
        <translation>Eine im Vergleich zum Raumlicht hohe Bildschirmhelligkeit senkt die Lidschlagfrequenz.
Nicht mit anderen Programmen vereinbar, die Helligkeit oder Farbe des Bildschirms ändern.</translation>
    </message>
    <message>
        <source>Screen control</source>
        <translation>Bildschirmsteuerung</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>ON/OFF</source>
        <translation>EIN/AUS</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>Helligkeit</translation>
    </message>
    <message>
        <source>Software (-8 to 0) and hardware (0 to 10) screen brightness adjustment. 
Some monitors and graphics cards do not provide support for HW brightness
adjustments, in such a case only a SW brightness adjustment is available.</source>
        <translation>Software- (−8 bis 0) und Hardware-Einstellung (0 bis 10) der Bildschirmhelligkeit.
Manche Monitore und Grafikkarten unterstützen keine Hardware-Helligkeit;
dann ist nur die Software-Einstellung verfügbar.</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>Color temperature</source>
        <translation>Farbtemperatur</translation>
    </message>
    <message>
        <source>Software screen color temperature adjustment</source>
        <translation>Software-Einstellung der Farbtemperatur des Bildschirms</translation>
    </message>
    <message>
        <source>WARMER</source>
        <translation>WÄRMER</translation>
    </message>
    <message>
        <source>WARM</source>
        <translation>WARM</translation>
    </message>
    <message>
        <source>NORMAL</source>
        <translation>NORMAL</translation>
    </message>
    <message>
        <source>A blink reminder will help you to blink more often</source>
        <translation>Eine Blinzelerinnerung hilft Ihnen, öfter zu blinzeln</translation>
    </message>
    <message>
        <source>Blink training</source>
        <translation>Blinzeltraining</translation>
    </message>
    <message>
        <source>Training frequency (how often to check for blinks):</source>
        <translation>Trainingsintervall (wie oft auf Lidschläge geprüft wird):</translation>
    </message>
    <message>
        <source>How often the reminder checks for your blink. Periods below 10 sec. load the processor more.
The reminder keeps your display awake: set the power-saving display timeout a little longer than the period.</source>
        <translation>Wie oft die Erinnerung prüft, ob Sie blinzeln. Intervalle unter 10 Sek. belasten den Prozessor stärker.
Die Erinnerung hält den Bildschirm wach: Stellen Sie die Zeit bis zum Abschalten des Bildschirms etwas länger als das Intervall ein.</translation>
    </message>
    <message>
        <source> sec.</source>
        <translation> Sek.</translation>
    </message>
    <message>
        <source>Use the simple reminder (no webcam use) at regular intervals</source>
        <translation>Einfache Erinnerung (ohne Kamera) in regelmäßigen Abständen</translation>
    </message>
    <message>
        <source>Use the interactive reminder (shows only at low blink rate)</source>
        <translation>Interaktive Erinnerung (erscheint nur bei niedriger Lidschlagfrequenz)</translation>
    </message>
    <message>
        <source>It uses the camera and the reminder goes away with your blink.</source>
        <translation>Sie verwendet die Kamera und verschwindet, sobald Sie blinzeln.</translation>
    </message>
    <message>
        <source>I have Meibomian gland dysfunction</source>
        <translation>Ich habe eine Meibom-Drüsen-Dysfunktion</translation>
    </message>
    <message>
        <source>Select this option if you have healthy blink rate and still suffer from dry eye. The reminder will be shown at regular intervals and dismissed with your blink.</source>
        <translation>Wählen Sie diese Option, wenn Ihre Lidschlagfrequenz gesund ist und Sie trotzdem unter trockenen Augen leiden. Die Erinnerung erscheint in regelmäßigen Abständen und verschwindet, sobald Sie blinzeln.</translation>
    </message>
    <message>
        <source>learn more</source>
        <translation>mehr erfahren</translation>
    </message>
    <message>
        <source>Enable sound in the reminder</source>
        <translation>Ton bei der Erinnerung einschalten</translation>
    </message>
    <message>
        <source>CHANGE REMINDER POSITION</source>
        <translation>POSITION DER ERINNERUNG ÄNDERN</translation>
    </message>
    <message>
        <source>Changing the focus distance relaxes the eye muscles. Natural breaks count as exercises.
You can drag and drop the reminder to find a suitable location for it.</source>
        <translation>Der Wechsel der Sehentfernung entspannt die Augenmuskeln. Natürliche Pausen zählen als Übungen.
Sie können die Erinnerung mit der Maus an eine passende Stelle ziehen.</translation>
    </message>
    <message>
        <source>Eye exercises each 20 minutes</source>
        <translation>Augenübungen alle 20 Minuten</translation>
    </message>
    <message>
        <source>Regular breaks are important to prevent tired eyes and varicose veins. You can drag and drop the reminder to find a suitable location for it.</source>
        <translation>Regelmäßige Pausen beugen müden Augen und Krampfadern vor. Sie können die Erinnerung mit der Maus an eine passende Stelle ziehen.</translation>
    </message>
    <message>
        <source>Computer breaks</source>
        <translation>Bildschirmpausen</translation>
    </message>
    <message>
        <source>I stand up from my desk and take a break each</source>
        <translation>Ich stehe vom Schreibtisch auf und mache eine Pause alle</translation>
    </message>
    <message>
        <source>Standing up is important because of varicose veins prevention.</source>
        <translation>Das Aufstehen ist wichtig, um Krampfadern vorzubeugen.</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> Min.</translation>
    </message>
    <message>
        <source>Consider</source>
        <translation>Als Pause zählen:</translation>
    </message>
    <message>
        <source>Include your natural breaks (computer inactivity time) into the break reminder plan.</source>
        <translation>Natürliche Pausen (Zeit ohne Eingaben am Computer) in den Pausenplan einbeziehen.</translation>
    </message>
    <message>
        <source>of no mouse or keyboard activity as a break</source>
        <translation>ohne Maus- und Tastaturaktivität</translation>
    </message>
    <message>
        <source>Your blink rate is measured every half an hour; a measurement lasts about 3 minutes.
The graph shows your recent blink rates. Measurements do not interfere with blink training.</source>
        <translation>Ihre Lidschlagfrequenz wird jede halbe Stunde gemessen; eine Messung dauert etwa 3 Minuten.
Das Diagramm zeigt Ihre letzten Werte. Messungen stören das Blinzeltraining nicht.</translation>
    </message>
    <message>
        <source>Blink rate statistics</source>
        <translation>Statistik der Lidschläge</translation>
    </message>
    <message>
        <source>Enable notification on completed blink measurement</source>
        <translation>Nach jeder abgeschlossenen Messung benachrichtigen</translation>
    </message>
    <message>
        <source>TAKE FIRST MEASUREMENT</source>
        <translation>ERSTE MESSUNG STARTEN</translation>
    </message>
    <message>
        <source>Measurements are sent for research only with your consent.</source>
        <translation>Messungen werden nur mit Ihrer Zustimmung an die Forschung gesendet.</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Netzwerk</translation>
    </message>
    <message>
        <source>&lt;p style=&apos;color:#d45500&apos;&gt;No internet connection detected on startup. Restart winkwell to try again.&lt;/p&gt;&lt;p&gt;If you connect through a proxy server, enter it under PROXY SETTINGS. Some employers block network traffic of programs; a phone or a public hotspot will tell whether that is the case.&lt;/p&gt;</source>
        <translation>&lt;p style=&apos;color:#d45500&apos;&gt;Beim Start wurde keine Internetverbindung erkannt. Starten Sie winkwell neu, um es erneut zu versuchen.&lt;/p&gt;&lt;p&gt;Wenn Sie über einen Proxyserver verbunden sind, geben Sie ihn unter PROXY-EINSTELLUNGEN ein. Manche Arbeitgeber sperren den Netzwerkverkehr von Programmen; ein Telefon oder ein öffentlicher Hotspot zeigt, ob das der Fall ist.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>PROXY SETTINGS</source>
        <translation>PROXY-EINSTELLUNGEN</translation>
    </message>
    <message>
        <source>Keys that work in every program. Click the box and press the new combination.</source>
        <translation>Tasten, die in jedem Programm wirken. Klicken Sie in das Feld und drücken Sie die neue Kombination.</translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>enable</source>
        <translation>aktivieren</translation>
    </message>
    <message>
        <source>Increase screen brightness:</source>
        <translation>Helligkeit erhöhen:</translation>
    </message>
    <message>
        <source>Decrease screen brightness:</source>
        <translation>Helligkeit verringern:</translation>
    </message>
    <message>
        <source>Change color temperature:</source>
        <translation>Farbtemperatur ändern:</translation>
    </message>
    <message>
        <source>Camera-based features pause while another program needs the camera,
recognised by the titles of its windows, or while the computer runs on battery.</source>
        <translation>Kamerafunktionen pausieren, solange ein anderes Programm die Kamera braucht
(erkannt an seinen Fenstertiteln) oder der Computer im Akkubetrieb läuft.</translation>
    </message>
    <message>
        <source>Automatic pause camera based features</source>
        <translation>Kamerafunktionen automatisch pausieren</translation>
    </message>
    <message>
        <source>When running on battery</source>
        <translation>Im Akkubetrieb</translation>
    </message>
    <message>
        <source>When a keyword is present as part of window title of an app:</source>
        <translation>Wenn ein Fenstertitel eines Programms ein Stichwort enthält:</translation>
    </message>
    <message>
        <source>separate by &apos;;&apos;, for example: &quot;Skype;Call;Zoom&quot;</source>
        <translation>durch „;“ getrennt, zum Beispiel: „Skype;Call;Zoom“</translation>
    </message>
    <message>
        <source>Everything pauses during a presentation or a film, recognised by a cloned screen,
running programs or window titles.</source>
        <translation>Während einer Präsentation oder eines Films pausiert alles, erkannt an einem geklonten Bildschirm,
laufenden Programmen oder Fenstertiteln.</translation>
    </message>
    <message>
        <source>Pause winkwell (all functionalities, all reminders)</source>
        <translation>winkwell pausieren (alle Funktionen, alle Erinnerungen)</translation>
    </message>
    <message>
        <source>When the cloned screen is detected (probably a projector is connected)</source>
        <translation>Wenn ein geklonter Bildschirm erkannt wird (vermutlich ist ein Projektor angeschlossen)</translation>
    </message>
    <message>
        <source>When one of these processes run:</source>
        <translation>Wenn einer dieser Prozesse läuft:</translation>
    </message>
    <message>
        <source>separate by &apos;;&apos;, for example: &quot;vlc;zoom;&quot;</source>
        <translation>durch „;“ getrennt, zum Beispiel: „vlc;zoom;“</translation>
    </message>
    <message>
        <source>Miscellaneous</source>
        <translation>Sonstiges</translation>
    </message>
    <message>
        <source>Enable Beta version updates</source>
        <translation>Beta-Versionen als Aktualisierung erlauben</translation>
    </message>
    <message>
        <source>Start on operating system startup</source>
        <translation>Beim Systemstart starten</translation>
    </message>
    <message>
        <source>Send blink rate measurements for research</source>
        <translation>Messungen der Lidschlagfrequenz an die Forschung senden</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Sprache:</translation>
    </message>
    <message>
        <source>Select language</source>
        <translation>Sprache auswählen</translation>
    </message>
    <message>
        <source>winkwell reminds you to blink, measures your blink rate, reminds you of computer breaks and eye exercises, and adjusts the screen to the room. Everything it sees through the camera stays on this computer.</source>
        <translation>winkwell erinnert Sie ans Blinzeln, misst Ihre Lidschlagfrequenz, erinnert an Bildschirmpausen und Augenübungen und passt den Bildschirm an den Raum an. Alles, was es durch die Kamera sieht, bleibt auf diesem Computer.</translation>
    </message>
    <message>
        <source>Follow winkwell on facebook</source>
        <translation>Folgen Sie winkwell auf Facebook</translation>
    </message>
    <message>
        <source>Cooperations</source>
        <translation>Kooperationen</translation>
    </message>
    <message>
        <source>winkwell version</source>
        <translation>winkwell Version</translation>
    </message>
    <message>
        <source>winkwell uses open source:</source>
        <translation>winkwell verwendet Open Source:</translation>
    </message>
    <message>
        <source>NOTICES</source>
        <translation>LIZENZEN</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Select camera</source>
        <translation>Kamera auswählen</translation>
    </message>
    <message>
        <source>SETTINGS</source>
        <translation>EINSTELLUNGEN</translation>
    </message>
    <message>
        <source>This is a real-time blink detection test only, no measurement will be taken.</source>
        <translation>Dies ist nur ein Echtzeittest der Lidschlagerkennung; es wird nichts gemessen.</translation>
    </message>
    <message>
        <source>Did you allow camera use?</source>
        <translation>Haben Sie die Kameranutzung erlaubt?</translation>
    </message>
    <message>
        <source>PRIVACY SETTINGS</source>
        <translation>DATENSCHUTZ</translation>
    </message>
    <message>
        <source>Blinks are detected best at 15 or more frames per second: a cheap camera or a dark room slows the camera down.</source>
        <translation>Lidschläge werden ab 15 Bildern pro Sekunde am besten erkannt: Eine einfache Kamera oder ein dunkler Raum macht die Kamera langsamer.</translation>
    </message>
    <message>
        <source>Open winkwell</source>
        <translation>winkwell öffnen</translation>
    </message>
    <message>
        <source>Pause winkwell</source>
        <translation>winkwell pausieren</translation>
    </message>
    <message>
        <source>Presentation mode (No reminders, no measurements, no screen brightness changes)</source>
        <translation>Präsentationsmodus (keine Erinnerungen, keine Messungen, keine Helligkeitsänderungen)</translation>
    </message>
    <message>
        <source>Use winkwell</source>
        <translation>winkwell verwenden</translation>
    </message>
    <message>
        <source>All settings back to normal</source>
        <translation>Alle Einstellungen gelten wieder</translation>
    </message>
    <message>
        <source>Stop camera use</source>
        <translation>Kamera nicht mehr verwenden</translation>
    </message>
    <message>
        <source>Pause camera-based features</source>
        <translation>Kamerafunktionen pausieren</translation>
    </message>
    <message>
        <source>Use camera</source>
        <translation>Kamera verwenden</translation>
    </message>
    <message>
        <source>Enable camera-based features</source>
        <translation>Kamerafunktionen einschalten</translation>
    </message>
    <message>
        <source>Exit winkwell</source>
        <translation>winkwell beenden</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Privacy policy</source>
        <translation>Datenschutzerklärung</translation>
    </message>
    <message>
        <source>Hold reminders while I am in a call</source>
        <translation>Erinnerungen zurückhalten, solange ich in einem Gespräch bin</translation>
    </message>
    <message>
        <source>Camera use (this record never leaves the computer)</source>
        <translation>Kameranutzung (diese Aufzeichnung verlässt den Computer nie)</translation>
    </message>
    <message>
        <source>Use the webcam to tell when I am away</source>
        <translation>Mit der Webcam erkennen, wann ich weg bin</translation>
    </message>
    <message>
        <source>A face in front of the screen means reading or watching, not a break; no face during a break ends it as a natural break. The camera looks for a second or two, at most once a minute.</source>
        <translation>Ein Gesicht vor dem Bildschirm heißt Lesen oder Zuschauen, keine Pause; ist während einer Pause kein Gesicht zu sehen, endet sie als natürliche Pause. Die Kamera schaut ein, zwei Sekunden, höchstens einmal pro Minute.</translation>
    </message>
    <message>
        <source>call window titles, e.g. &quot;Zoom Meeting;Jitsi Meet&quot;</source>
        <translation>Titel von Anruffenstern, z. B. „Zoom Meeting;Jitsi Meet“</translation>
    </message>
    <message>
        <source>A call is also seen while another program records from the microphone or holds the camera. Separate the words by &apos;;&apos;.</source>
        <translation>Ein Anruf wird auch erkannt, solange ein anderes Programm vom Mikrofon aufnimmt oder die Kamera belegt. Wörter durch &apos;;&apos; trennen.</translation>
    </message>
</context>
</TS>
