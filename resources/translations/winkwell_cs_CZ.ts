<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs_CZ">
<context>
    <name>BlinkReminderWidget</name>
    <message>
        <source>just blink ;)</source>
        <translation>stačí mrknout ;)</translation>
    </message>
</context>
<context>
    <name>BreakReminderWidget</name>
    <message>
        <source>Use drag and drop to change the reminder position.</source>
        <translation>Polohu připomínky změníte přetažením myší.</translation>
    </message>
    <message>
        <source>winkwell: it is time for your break</source>
        <translation>winkwell: je čas na přestávku</translation>
    </message>
    <message>
        <source>The reminder disappears after you take a 4 minutes break.</source>
        <translation>Připomínka zmizí, jakmile si dáte 4minutovou přestávku.</translation>
    </message>
    <message>
        <source>My work is more important than my veins and eyes.</source>
        <translation>Moje práce je důležitější než moje žíly a oči.</translation>
    </message>
    <message>
        <source>SKIP</source>
        <translation>PŘESKOČIT</translation>
    </message>
    <message>
        <source>Give me five more minutes</source>
        <translation>Ještě pět minut</translation>
    </message>
    <message>
        <source>SNOOZE (5 min.)</source>
        <translation>ODLOŽIT (5 min)</translation>
    </message>
    <message>
        <source>The reminder disappears after you take a %1 minutes break.</source>
        <translation>Připomínka zmizí, jakmile si dáte %1minutovou přestávku.</translation>
    </message>
    <message>
        <source>This break was held back until your call ended.</source>
        <translation>Tato přestávka počkala, dokud neskončil váš hovor.</translation>
    </message>
</context>
<context>
    <name>CameraSettingsDialog</name>
    <message>
        <source>RESET TO DEFAULTS</source>
        <translation>OBNOVIT VÝCHOZÍ</translation>
    </message>
    <message>
        <source>Camera settings</source>
        <translation>Nastavení kamery</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>ZAVŘÍT</translation>
    </message>
    <message>
        <source>This camera has no settings to adjust.</source>
        <translation>Tato kamera nemá žádná nastavení.</translation>
    </message>
    <message>
        <source>No camera settings: the camera is not connected.</source>
        <translation>Nastavení kamery nejsou k dispozici: kamera není připojena.</translation>
    </message>
    <message>
        <source>Did you allow camera use?</source>
        <translation>Povolili jste používání kamery?</translation>
    </message>
    <message>
        <source>Your user account may not use the camera (%1).
Add it to the group &quot;%2&quot;, then log out and back in.</source>
        <translation>Váš uživatelský účet nesmí používat kameru (%1).
Přidejte jej do skupiny „%2“, poté se odhlaste a znovu přihlaste.</translation>
    </message>
    <message>
        <source>No camera settings: another program is using the camera.</source>
        <translation>Nastavení kamery nejsou k dispozici: kameru používá jiný program.</translation>
    </message>
    <message>
        <source>No camera settings: %1 is not a camera.</source>
        <translation>Nastavení kamery nejsou k dispozici: %1 není kamera.</translation>
    </message>
    <message>
        <source>No camera settings: %1 cannot be opened (%2).</source>
        <translation>Nastavení kamery nejsou k dispozici: %1 nelze otevřít (%2).</translation>
    </message>
    <message>
        <source>APPLY</source>
        <translation>POUŽÍT</translation>
    </message>
    <message>
        <source>Has no effect now, usually because an automatic mode is on.</source>
        <translation>Nyní nemá vliv, obvykle proto, že je zapnutý automatický režim.</translation>
    </message>
</context>
<context>
    <name>CameraTimeText</name>
    <message>
        <source>camera test</source>
        <translation>test kamery</translation>
    </message>
    <message>
        <source>interactive blink reminder</source>
        <translation>interaktivní připomínka mrkání</translation>
    </message>
    <message>
        <source>blink-rate measurement</source>
        <translation>měření frekvence mrkání</translation>
    </message>
    <message>
        <source>presence check</source>
        <translation>kontrola přítomnosti</translation>
    </message>
    <message>
        <source>finished</source>
        <translation>dokončeno</translation>
    </message>
    <message>
        <source>no face seen</source>
        <translation>obličej nebyl vidět</translation>
    </message>
    <message>
        <source>camera error</source>
        <translation>chyba kamery</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>zastaveno</translation>
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
        <translation>Čas kamery dnes: %1, tento týden: %2</translation>
    </message>
    <message>
        <source>The camera has not run in the last 30 days.</source>
        <translation>Kamera za posledních 30 dní neběžela.</translation>
    </message>
    <message>
        <source>Last runs:</source>
        <translation>Poslední spuštění:</translation>
    </message>
    <message>
        <source>%1, %2, %3 frames, %4</source>
        <translation>%1, %2, %3 snímků, %4</translation>
    </message>
</context>
<context>
    <name>Downloader</name>
    <message>
        <source>Time remaining</source>
        <translation>Zbývající čas</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Otevřít</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Zastavit</translation>
    </message>
    <message>
        <source>Updater</source>
        <translation>Aktualizace</translation>
    </message>
    <message>
        <source>Downloading updates</source>
        <translation>Stahuje se aktualizace</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>neznámý</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 bajtů</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 kB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>of</source>
        <translation>z</translation>
    </message>
    <message>
        <source>about %1 hours</source>
        <translation>přibližně %1 h</translation>
    </message>
    <message>
        <source>about one hour</source>
        <translation>přibližně hodina</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 minuta</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>1 second</source>
        <translation>1 sekunda</translation>
    </message>
    <message>
        <source>Error, the update could not be downloaded!</source>
        <translation>Chyba: aktualizaci se nepodařilo stáhnout!</translation>
    </message>
    <message>
        <source>Error, the downloaded update is corrupted!</source>
        <translation>Chyba: stažená aktualizace je poškozená!</translation>
    </message>
    <message>
        <source>Error, the update could not be saved!</source>
        <translation>Chyba: aktualizaci se nepodařilo uložit!</translation>
    </message>
    <message>
        <source>Press OK to download again.</source>
        <translation>Stisknutím OK ji stáhnete znovu.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavřít</translation>
    </message>
    <message>
        <source>Download complete!</source>
        <translation>Stahování je dokončeno!</translation>
    </message>
    <message>
        <source>Saved as %1</source>
        <translation>Uloženo jako %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Chyba</translation>
    </message>
    <message>
        <source>The downloaded update is missing!</source>
        <translation>Stažená aktualizace chybí!</translation>
    </message>
    <message>
        <source>Are you sure you want to cancel the download?</source>
        <translation>Opravdu chcete zrušit stahování?</translation>
    </message>
</context>
<context>
    <name>ExerciseReminderWidget</name>
    <message>
        <source>Use drag and drop to change the reminder position.</source>
        <translation>Polohu připomínky změníte přetažením myší.</translation>
    </message>
    <message>
        <source>winkwell eye exercise</source>
        <translation>winkwell: cvičení očí</translation>
    </message>
    <message>
        <source>My work is more important than my eyes.</source>
        <translation>Moje práce je důležitější než moje oči.</translation>
    </message>
    <message>
        <source>SKIP</source>
        <translation>PŘESKOČIT</translation>
    </message>
    <message>
        <source>Look out of the window (or towards any other long distance) for 10 sec.</source>
        <translation>Dívejte se 10 s z okna (nebo na jiné vzdálené místo).</translation>
    </message>
    <message>
        <source>Blink while squeezing your lids for 10 sec.</source>
        <translation>Mrkejte 10 s a pevně přitom zavírejte víčka.</translation>
    </message>
    <message>
        <source>Move your eyes from side to side for 10 sec.</source>
        <translation>Pohybujte očima 10 s ze strany na stranu.</translation>
    </message>
    <message>
        <source>Rotate your eyes for 10 sec.</source>
        <translation>Kružte očima 10 s.</translation>
    </message>
</context>
<context>
    <name>HotkeySet</name>
    <message>
        <source>%1 is already another hotkey</source>
        <translation>%1 už používá jiná zkratka</translation>
    </message>
    <message>
        <source>hotkeys cannot work on this desktop</source>
        <translation>klávesové zkratky v tomto pracovním prostředí nefungují</translation>
    </message>
    <message>
        <source>%1 is held by the desktop or another program</source>
        <translation>%1 používá pracovní prostředí nebo jiný program</translation>
    </message>
</context>
<context>
    <name>Model</name>
    <message>
        <source>blink detected</source>
        <translation>mrknutí zaznamenáno</translation>
    </message>
    <message>
        <source>empty frame received
camera disconnected
or broken or bad cable
or bad driver</source>
        <translation>přijat prázdný snímek
kamera je odpojená
nebo rozbitá, vadný kabel
nebo vadný ovladač</translation>
    </message>
    <message>
        <source>camera is occupied or not connected</source>
        <translation>kamera je obsazená nebo nepřipojená</translation>
    </message>
    <message>
        <source>loading classifiers</source>
        <translation>načítají se klasifikátory</translation>
    </message>
    <message>
        <source>missing file: data.dat or low memory</source>
        <translation>chybí soubor data.dat nebo je málo paměti</translation>
    </message>
</context>
<context>
    <name>StatisticsController</name>
    <message>
        <source>Your blink-rate history cannot be read (%1). New measurements are kept and saved with it once it can be read again.</source>
        <translation>Historii frekvence mrkání nelze přečíst (%1). Nová měření se uchovají a uloží se k ní, jakmile ji bude opět možné přečíst.</translation>
    </message>
    <message>
        <source>Your blink-rate history was damaged. It is kept as &quot;%1&quot;, and a new history has begun.</source>
        <translation>Historie frekvence mrkání byla poškozená. Uchovává se jako „%1“ a začala nová historie.</translation>
    </message>
    <message>
        <source>That is the history file itself.</source>
        <translation>To je samotný soubor s historií.</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>Version %1 of %2 has been released!</source>
        <translation>Byla vydána verze %1 programu %2!</translation>
    </message>
    <message>
        <source>Would you like to download the update now (size %1MB)?</source>
        <translation>Chcete aktualizaci stáhnout nyní (velikost %1 MB)?</translation>
    </message>
</context>
<context>
    <name>WidgetProxy</name>
    <message>
        <source>Server unreachable or network settings has changed. Please provide valid settings or restart winkwell.</source>
        <translation>Server je nedostupný nebo se změnilo nastavení sítě. Zadejte platné nastavení nebo winkwell restartujte.</translation>
    </message>
</context>
<context>
    <name>WidgetStatistics</name>
    <message>
        <source>Blinks per minute (bpm)</source>
        <translation>Mrknutí za minutu</translation>
    </message>
    <message>
        <source>healthy</source>
        <translation>zdravé</translation>
    </message>
    <message>
        <source>unknown date</source>
        <translation>neznámé datum</translation>
    </message>
    <message>
        <source>Blink rate:</source>
        <translation>Frekvence mrkání:</translation>
    </message>
    <message>
        <source>blinks per minute</source>
        <translation>mrknutí za minutu</translation>
    </message>
    <message>
        <source>Average blink duration:</source>
        <translation>Průměrná délka mrknutí:</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>milisekund</translation>
    </message>
    <message>
        <source>Are you sure to delete all measurements?</source>
        <translation>Opravdu chcete odstranit všechna měření?</translation>
    </message>
    <message>
        <source>Export history</source>
        <translation>Exportovat historii</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Soubory CSV (*.csv)</translation>
    </message>
    <message>
        <source>The history could not be exported to %1:
%2</source>
        <translation>Historii se nepodařilo exportovat do %1:
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
        <translation>Měření</translation>
    </message>
    <message>
        <source>Blinks per minute</source>
        <translation>Mrknutí
za minutu</translation>
    </message>
    <message>
        <source>healthy</source>
        <translation>zdravé</translation>
    </message>
    <message>
        <source>Open history</source>
        <translation>Otevřít historii</translation>
    </message>
    <message>
        <source>Blink rate:</source>
        <translation>Frekvence mrkání:</translation>
    </message>
    <message>
        <source>blinks per minute</source>
        <translation>mrknutí za minutu</translation>
    </message>
    <message>
        <source>Average blink duration:</source>
        <translation>Průměrná délka mrknutí:</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>milisekund</translation>
    </message>
    <message>
        <source>Blink-rate history</source>
        <translation>Historie frekvence mrkání</translation>
    </message>
    <message>
        <source>winkwell - settings</source>
        <translation>winkwell – nastavení</translation>
    </message>
    <message>
        <source>winkwell - about</source>
        <translation>winkwell – o programu</translation>
    </message>
    <message>
        <source>Test blink detection</source>
        <translation>Test rozpoznávání mrkání</translation>
    </message>
    <message>
        <source>is running in background. You can quit Winkwell by opening the right-click menu at this tray icon.</source>
        <comment>trayicon</comment>
        <translation>běží na pozadí. Winkwell ukončíte v nabídce, kterou otevřete kliknutím pravým tlačítkem na tuto ikonu v oznamovací oblasti.</translation>
    </message>
    <message>
        <source>CHANGE REMINDER POSITION</source>
        <translation>ZMĚNIT POLOHU PŘIPOMÍNKY</translation>
    </message>
    <message>
        <source>version</source>
        <translation>verze</translation>
    </message>
    <message>
        <source>Blink measurement completed</source>
        <translation>Měření mrkání je dokončeno</translation>
    </message>
    <message>
        <source>Blink rate: </source>
        <translation>Frekvence mrkání: </translation>
    </message>
    <message>
        <source> blinks per minute</source>
        <translation> mrknutí za minutu</translation>
    </message>
    <message>
        <source>SAVE NEW POSITION</source>
        <translation>ULOŽIT NOVOU POLOHU</translation>
    </message>
    <message>
        <source>%1 (no access)</source>
        <translation>%1 (bez přístupu)</translation>
    </message>
    <message>
        <source>Your user may not open %1. Add it to the group &quot;%2&quot; (for example: sudo adduser $USER %2), then log in again.</source>
        <translation>Váš uživatel nesmí otevřít %1. Přidejte jej do skupiny „%2“ (například: sudo adduser $USER %2) a poté se znovu přihlaste.</translation>
    </message>
    <message>
        <source>Measurement will start shortly.</source>
        <translation>Měření brzy začne.</translation>
    </message>
    <message>
        <source>No measurement taken yet. Your blink rate is measured approximately every 30 minutes.</source>
        <translation>Zatím neproběhlo žádné měření. Vaše frekvence mrkání se měří přibližně každých 30 minut.</translation>
    </message>
    <message>
        <source>Measurement in progress</source>
        <translation>Probíhá měření</translation>
    </message>
    <message>
        <source>Winkwell observes your blinks (blink training is active).</source>
        <translation>Winkwell sleduje vaše mrkání (trénink mrkání je zapnutý).</translation>
    </message>
    <message>
        <source>Error:</source>
        <translation>Chyba:</translation>
    </message>
    <message>
        <source> insufficient memory RAM or missing data.dat.</source>
        <translation> nedostatek paměti RAM nebo chybí data.dat.</translation>
    </message>
    <message>
        <source> camera is used by other software.</source>
        <translation> kameru používá jiný program.</translation>
    </message>
    <message>
        <source> low frame per second, cheap camera or bad light conditions.</source>
        <translation> málo snímků za sekundu, levná kamera nebo špatné osvětlení.</translation>
    </message>
    <message>
        <source>Face not detected, please test blink detection performance (webcam icon).</source>
        <translation>Obličej nebyl nalezen, otestujte rozpoznávání mrkání (ikona kamery).</translation>
    </message>
    <message>
        <source>More than one face detected.</source>
        <translation>Bylo nalezeno více obličejů.</translation>
    </message>
    <message>
        <source> empty frame received, camera unplugged? (or bad cable or broken camera or bad driver).</source>
        <translation> přijat prázdný snímek, je kamera odpojená? (nebo vadný kabel, rozbitá kamera či vadný ovladač).</translation>
    </message>
    <message>
        <source> camera is not connected.</source>
        <translation> kamera není připojena.</translation>
    </message>
    <message>
        <source>no error</source>
        <translation>žádná chyba</translation>
    </message>
    <message>
        <source>winkwell - presentation mode</source>
        <translation>winkwell – režim prezentace</translation>
    </message>
    <message>
        <source>winkwell camera use paused</source>
        <translation>winkwell: používání kamery pozastaveno</translation>
    </message>
    <message>
        <source>winkwell - in a call: reminders wait</source>
        <translation>winkwell - během hovoru: připomínky čekají</translation>
    </message>
    <message>
        <source>Winkwell looks whether you are at the screen.</source>
        <translation>Winkwell se dívá, zda jste u obrazovky.</translation>
    </message>
</context>
<context>
    <name>widgetProxy</name>
    <message>
        <source>Proxy settings</source>
        <translation>Nastavení proxy</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavřít</translation>
    </message>
    <message>
        <source>use these settings</source>
        <translation>použít toto nastavení</translation>
    </message>
    <message>
        <source>Veryfing connection, please wait...</source>
        <translation>Ověřuje se připojení, čekejte prosím…</translation>
    </message>
    <message>
        <source>port:</source>
        <translation>port:</translation>
    </message>
    <message>
        <source>username:</source>
        <translation>uživatelské jméno:</translation>
    </message>
    <message>
        <source>password:</source>
        <translation>heslo:</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>ULOŽIT</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ZRUŠIT</translation>
    </message>
</context>
<context>
    <name>widgetStatistics</name>
    <message>
        <source>Statistics</source>
        <translation>Statistika</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximalizovat</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavřít</translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>Datum začátku</translation>
    </message>
    <message>
        <source>End date</source>
        <translation>Datum konce</translation>
    </message>
    <message>
        <source>Save the whole history as a CSV file for a spreadsheet</source>
        <translation>Uložit celou historii jako soubor CSV pro tabulkový procesor</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>EXPORTOVAT</translation>
    </message>
    <message>
        <source>DELETE HISTORY</source>
        <translation>SMAZAT HISTORII</translation>
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
        <translation>Nastavení</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zpět</translation>
    </message>
    <message>
        <source>Test blink detection</source>
        <translation>Test rozpoznávání mrkání</translation>
    </message>
    <message>
        <source>About</source>
        <translation>O programu</translation>
    </message>
    <message>
        <source>Minimize to tray icon</source>
        <translation>Minimalizovat do oznamovací oblasti</translation>
    </message>
    <message>
        <source>High screen brightness compared to the room light lowers the blink rate.
Not compatible with other tools that change the screen brightness or colour.</source>
        <translation>Vysoký jas obrazovky ve srovnání se světlem v místnosti snižuje frekvenci mrkání.
Není kompatibilní s jinými nástroji, které mění jas nebo barvy obrazovky.</translation>
    </message>
    <message>
        <source>Screen control</source>
        <translation>Ovládání obrazovky</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>ON/OFF</source>
        <translation>ZAP/VYP</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>Jas</translation>
    </message>
    <message>
        <source>Software (-8 to 0) and hardware (0 to 10) screen brightness adjustment. 
Some monitors and graphics cards do not provide support for HW brightness
adjustments, in such a case only a SW brightness adjustment is available.</source>
        <translation>Softwarové (−8 až 0) a hardwarové (0 až 10) nastavení jasu obrazovky.
Některé monitory a grafické karty hardwarové nastavení jasu nepodporují,
pak je k dispozici jen softwarové nastavení jasu.</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>Color temperature</source>
        <translation>Teplota barev</translation>
    </message>
    <message>
        <source>Software screen color temperature adjustment</source>
        <translation>Softwarové nastavení teploty barev obrazovky</translation>
    </message>
    <message>
        <source>WARMER</source>
        <translation>TEPLEJŠÍ</translation>
    </message>
    <message>
        <source>WARM</source>
        <translation>TEPLÉ</translation>
    </message>
    <message>
        <source>NORMAL</source>
        <translation>NORMÁLNÍ</translation>
    </message>
    <message>
        <source>A blink reminder will help you to blink more often</source>
        <translation>Připomínka mrkání vám pomůže mrkat častěji</translation>
    </message>
    <message>
        <source>Blink training</source>
        <translation>Trénink mrkání</translation>
    </message>
    <message>
        <source>Training frequency (how often to check for blinks):</source>
        <translation>Frekvence tréninku (jak často kontrolovat mrknutí):</translation>
    </message>
    <message>
        <source>How often the reminder checks for your blink. Periods below 10 sec. load the processor more.
The reminder keeps your display awake: set the power-saving display timeout a little longer than the period.</source>
        <translation>Jak často připomínka kontroluje, zda jste mrkli. Intervaly pod 10 s více zatěžují procesor.
Připomínka nedovolí obrazovce zhasnout: dobu do vypnutí obrazovky nastavte o něco delší než interval.</translation>
    </message>
    <message>
        <source> sec.</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Use the simple reminder (no webcam use) at regular intervals</source>
        <translation>Používat jednoduchou připomínku (bez kamery) v pravidelných intervalech</translation>
    </message>
    <message>
        <source>Use the interactive reminder (shows only at low blink rate)</source>
        <translation>Používat interaktivní připomínku (zobrazí se jen při nízké frekvenci mrkání)</translation>
    </message>
    <message>
        <source>It uses the camera and the reminder goes away with your blink.</source>
        <translation>Používá kameru a připomínka zmizí, jakmile mrknete.</translation>
    </message>
    <message>
        <source>I have Meibomian gland dysfunction</source>
        <translation>Mám dysfunkci Meibomových žláz</translation>
    </message>
    <message>
        <source>Select this option if you have healthy blink rate and still suffer from dry eye. The reminder will be shown at regular intervals and dismissed with your blink.</source>
        <translation>Tuto možnost zvolte, pokud máte zdravou frekvenci mrkání, a přesto trpíte suchým okem. Připomínka se zobrazí v pravidelných intervalech a zmizí, jakmile mrknete.</translation>
    </message>
    <message>
        <source>learn more</source>
        <translation>více informací</translation>
    </message>
    <message>
        <source>Enable sound in the reminder</source>
        <translation>Zapnout zvuk připomínky</translation>
    </message>
    <message>
        <source>CHANGE REMINDER POSITION</source>
        <translation>ZMĚNIT POLOHU PŘIPOMÍNKY</translation>
    </message>
    <message>
        <source>Changing the focus distance relaxes the eye muscles. Natural breaks count as exercises.
You can drag and drop the reminder to find a suitable location for it.</source>
        <translation>Změna zaostřovací vzdálenosti uvolňuje oční svaly. Přirozené přestávky se počítají jako cvičení.
Připomínku můžete myší přetáhnout na vhodné místo.</translation>
    </message>
    <message>
        <source>Eye exercises each 20 minutes</source>
        <translation>Cvičení očí každých 20 minut</translation>
    </message>
    <message>
        <source>Regular breaks are important to prevent tired eyes and varicose veins. You can drag and drop the reminder to find a suitable location for it.</source>
        <translation>Pravidelné přestávky jsou důležité jako prevence unavených očí a křečových žil. Připomínku můžete myší přetáhnout na vhodné místo.</translation>
    </message>
    <message>
        <source>Computer breaks</source>
        <translation>Přestávky u počítače</translation>
    </message>
    <message>
        <source>I stand up from my desk and take a break each</source>
        <translation>Vstanu od stolu a dám si přestávku každých</translation>
    </message>
    <message>
        <source>Standing up is important because of varicose veins prevention.</source>
        <translation>Vstát je důležité kvůli prevenci křečových žil.</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> min</translation>
    </message>
    <message>
        <source>Consider</source>
        <translation>Považovat</translation>
    </message>
    <message>
        <source>Include your natural breaks (computer inactivity time) into the break reminder plan.</source>
        <translation>Započítat přirozené přestávky (dobu nečinnosti počítače) do plánu přestávek.</translation>
    </message>
    <message>
        <source>of no mouse or keyboard activity as a break</source>
        <translation>bez aktivity myši a klávesnice za přestávku</translation>
    </message>
    <message>
        <source>Your blink rate is measured every half an hour; a measurement lasts about 3 minutes.
The graph shows your recent blink rates. Measurements do not interfere with blink training.</source>
        <translation>Vaše frekvence mrkání se měří každou půlhodinu; měření trvá asi 3 minuty.
Graf ukazuje vaše poslední měření. Měření neruší trénink mrkání.</translation>
    </message>
    <message>
        <source>Blink rate statistics</source>
        <translation>Statistika mrkání</translation>
    </message>
    <message>
        <source>Enable notification on completed blink measurement</source>
        <translation>Upozornit na dokončené měření mrkání</translation>
    </message>
    <message>
        <source>TAKE FIRST MEASUREMENT</source>
        <translation>SPUSTIT PRVNÍ MĚŘENÍ</translation>
    </message>
    <message>
        <source>Measurements are sent for research only with your consent.</source>
        <translation>Měření se pro výzkum odesílají jen s vaším souhlasem.</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Síť</translation>
    </message>
    <message>
        <source>&lt;p style=&apos;color:#d45500&apos;&gt;No internet connection detected on startup. Restart winkwell to try again.&lt;/p&gt;&lt;p&gt;If you connect through a proxy server, enter it under PROXY SETTINGS. Some employers block network traffic of programs; a phone or a public hotspot will tell whether that is the case.&lt;/p&gt;</source>
        <translation>&lt;p style=&apos;color:#d45500&apos;&gt;Při spuštění nebylo zjištěno internetové připojení. Chcete-li to zkusit znovu, restartujte winkwell.&lt;/p&gt;&lt;p&gt;Pokud se připojujete přes proxy server, zadejte jej v části NASTAVENÍ PROXY. Někteří zaměstnavatelé blokují síťový provoz programů; telefon nebo veřejný hotspot ukáže, zda tomu tak je.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>PROXY SETTINGS</source>
        <translation>NASTAVENÍ PROXY</translation>
    </message>
    <message>
        <source>Keys that work in every program. Click the box and press the new combination.</source>
        <translation>Klávesy, které fungují v každém programu. Klikněte do pole a stiskněte novou kombinaci.</translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation>Klávesové zkratky</translation>
    </message>
    <message>
        <source>enable</source>
        <translation>zapnout</translation>
    </message>
    <message>
        <source>Increase screen brightness:</source>
        <translation>Zvýšit jas obrazovky:</translation>
    </message>
    <message>
        <source>Decrease screen brightness:</source>
        <translation>Snížit jas obrazovky:</translation>
    </message>
    <message>
        <source>Change color temperature:</source>
        <translation>Změnit teplotu barev:</translation>
    </message>
    <message>
        <source>Camera-based features pause while another program needs the camera,
recognised by the titles of its windows, or while the computer runs on battery.</source>
        <translation>Funkce s kamerou se pozastaví, dokud kameru potřebuje jiný program
(rozpozná se podle názvů jeho oken), nebo dokud počítač běží na baterii.</translation>
    </message>
    <message>
        <source>Automatic pause camera based features</source>
        <translation>Automaticky pozastavit funkce s kamerou</translation>
    </message>
    <message>
        <source>When running on battery</source>
        <translation>Při napájení z baterie</translation>
    </message>
    <message>
        <source>When a keyword is present as part of window title of an app:</source>
        <translation>Když název okna některého programu obsahuje klíčové slovo:</translation>
    </message>
    <message>
        <source>separate by &apos;;&apos;, for example: &quot;Skype;Call;Zoom&quot;</source>
        <translation>oddělte středníkem, například: „Skype;Call;Zoom“</translation>
    </message>
    <message>
        <source>Everything pauses during a presentation or a film, recognised by a cloned screen,
running programs or window titles.</source>
        <translation>Během prezentace nebo filmu se vše pozastaví; rozpozná se podle klonované obrazovky,
spuštěných programů nebo názvů oken.</translation>
    </message>
    <message>
        <source>Pause winkwell (all functionalities, all reminders)</source>
        <translation>Pozastavit winkwell (všechny funkce, všechny připomínky)</translation>
    </message>
    <message>
        <source>When the cloned screen is detected (probably a projector is connected)</source>
        <translation>Když je zjištěna klonovaná obrazovka (pravděpodobně je připojen projektor)</translation>
    </message>
    <message>
        <source>When one of these processes run:</source>
        <translation>Když běží některý z těchto procesů:</translation>
    </message>
    <message>
        <source>separate by &apos;;&apos;, for example: &quot;vlc;zoom;&quot;</source>
        <translation>oddělte středníkem, například: „vlc;zoom;“</translation>
    </message>
    <message>
        <source>Miscellaneous</source>
        <translation>Různé</translation>
    </message>
    <message>
        <source>Enable Beta version updates</source>
        <translation>Povolit aktualizace na beta verze</translation>
    </message>
    <message>
        <source>Start on operating system startup</source>
        <translation>Spustit při startu operačního systému</translation>
    </message>
    <message>
        <source>Send blink rate measurements for research</source>
        <translation>Odesílat měření frekvence mrkání pro výzkum</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Jazyk:</translation>
    </message>
    <message>
        <source>Select language</source>
        <translation>Vyberte jazyk</translation>
    </message>
    <message>
        <source>winkwell reminds you to blink, measures your blink rate, reminds you of computer breaks and eye exercises, and adjusts the screen to the room. Everything it sees through the camera stays on this computer.</source>
        <translation>winkwell vám připomíná mrkat, měří frekvenci vašeho mrkání, připomíná přestávky u počítače a cvičení očí a přizpůsobuje obrazovku místnosti. Vše, co vidí přes kameru, zůstává v tomto počítači.</translation>
    </message>
    <message>
        <source>Follow winkwell on facebook</source>
        <translation>Sledujte winkwell na Facebooku</translation>
    </message>
    <message>
        <source>Cooperations</source>
        <translation>Spolupráce</translation>
    </message>
    <message>
        <source>winkwell version</source>
        <translation>winkwell verze</translation>
    </message>
    <message>
        <source>winkwell uses open source:</source>
        <translation>winkwell používá open source:</translation>
    </message>
    <message>
        <source>NOTICES</source>
        <translation>LICENCE</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Select camera</source>
        <translation>Vyberte kameru</translation>
    </message>
    <message>
        <source>SETTINGS</source>
        <translation>NASTAVENÍ</translation>
    </message>
    <message>
        <source>This is a real-time blink detection test only, no measurement will be taken.</source>
        <translation>Toto je jen test rozpoznávání mrkání v reálném čase, měření se neprovede.</translation>
    </message>
    <message>
        <source>Did you allow camera use?</source>
        <translation>Povolili jste používání kamery?</translation>
    </message>
    <message>
        <source>PRIVACY SETTINGS</source>
        <translation>NASTAVENÍ SOUKROMÍ</translation>
    </message>
    <message>
        <source>Blinks are detected best at 15 or more frames per second: a cheap camera or a dark room slows the camera down.</source>
        <translation>Mrknutí se nejlépe rozpoznávají při 15 a více snímcích za sekundu: levná kamera nebo tmavá místnost kameru zpomaluje.</translation>
    </message>
    <message>
        <source>Open winkwell</source>
        <translation>Otevřít winkwell</translation>
    </message>
    <message>
        <source>Pause winkwell</source>
        <translation>Pozastavit winkwell</translation>
    </message>
    <message>
        <source>Presentation mode (No reminders, no measurements, no screen brightness changes)</source>
        <translation>Režim prezentace (žádné připomínky, měření ani změny jasu obrazovky)</translation>
    </message>
    <message>
        <source>Use winkwell</source>
        <translation>Používat winkwell</translation>
    </message>
    <message>
        <source>All settings back to normal</source>
        <translation>Všechna nastavení opět platí</translation>
    </message>
    <message>
        <source>Stop camera use</source>
        <translation>Přestat používat kameru</translation>
    </message>
    <message>
        <source>Pause camera-based features</source>
        <translation>Pozastavit funkce s kamerou</translation>
    </message>
    <message>
        <source>Use camera</source>
        <translation>Používat kameru</translation>
    </message>
    <message>
        <source>Enable camera-based features</source>
        <translation>Zapnout funkce s kamerou</translation>
    </message>
    <message>
        <source>Exit winkwell</source>
        <translation>Ukončit winkwell</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Nápověda</translation>
    </message>
    <message>
        <source>Privacy policy</source>
        <translation>Zásady ochrany soukromí</translation>
    </message>
    <message>
        <source>Hold reminders while I am in a call</source>
        <translation>Pozdržet připomínky během mého hovoru</translation>
    </message>
    <message>
        <source>Camera use (this record never leaves the computer)</source>
        <translation>Používání kamery (tento záznam nikdy neopustí počítač)</translation>
    </message>
    <message>
        <source>Use the webcam to tell when I am away</source>
        <translation>Poznat kamerou, kdy nejsem u počítače</translation>
    </message>
    <message>
        <source>A face in front of the screen means reading or watching, not a break; no face during a break ends it as a natural break. The camera looks for a second or two, at most once a minute.</source>
        <translation>Tvář před obrazovkou znamená čtení nebo sledování, ne přestávku; bez tváře během přestávky přestávka skončí jako přirozená. Kamera se podívá na sekundu či dvě, nejvýše jednou za minutu.</translation>
    </message>
    <message>
        <source>call window titles, e.g. &quot;Zoom Meeting;Jitsi Meet&quot;</source>
        <translation>názvy oken hovorů, např. „Zoom Meeting;Jitsi Meet“</translation>
    </message>
    <message>
        <source>A call is also seen while another program records from the microphone or holds the camera. Separate the words by &apos;;&apos;.</source>
        <translation>Hovor se pozná i tehdy, když jiný program nahrává z mikrofonu nebo používá kameru. Slova oddělte znakem &apos;;&apos;.</translation>
    </message>
</context>
</TS>
