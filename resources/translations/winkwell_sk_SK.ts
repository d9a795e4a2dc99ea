<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sk_SK">
<context>
    <name>BlinkReminderWidget</name>
    <message>
        <source>just blink ;)</source>
        <translation>stačí žmurknúť ;)</translation>
    </message>
</context>
<context>
    <name>BreakReminderWidget</name>
    <message>
        <source>Use drag and drop to change the reminder position.</source>
        <translation>Pozíciu pripomienky zmeníte presunutím myšou.</translation>
    </message>
    <message>
        <source>winkwell: it is time for your break</source>
        <translation>winkwell: je čas na prestávku</translation>
    </message>
    <message>
        <source>The reminder disappears after you take a 4 minutes break.</source>
        <translation>Pripomienka zmizne, keď si dáte 4-minútovú prestávku.</translation>
    </message>
    <message>
        <source>My work is more important than my veins and eyes.</source>
        <translation>Moja práca je dôležitejšia než moje žily a oči.</translation>
    </message>
    <message>
        <source>SKIP</source>
        <translation>PRESKOČIŤ</translation>
    </message>
    <message>
        <source>Give me five more minutes</source>
        <translation>Ešte päť minút</translation>
    </message>
    <message>
        <source>SNOOZE (5 min.)</source>
        <translation>ODLOŽIŤ (5 min)</translation>
    </message>
    <message>
        <source>The reminder disappears after you take a %1 minutes break.</source>
        <translation>Pripomienka zmizne, keď si dáte %1-minútovú prestávku.</translation>
    </message>
    <message>
        <source>This break was held back until your call ended.</source>
        <translation>Táto prestávka počkala, kým sa váš hovor neskončil.</translation>
    </message>
</context>
<context>
    <name>CameraSettingsDialog</name>
    <message>
        <source>RESET TO DEFAULTS</source>
        <translation>OBNOVIŤ PREDVOLENÉ</translation>
    </message>
    <message>
        <source>Camera settings</source>
        <translation>Nastavenia kamery</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>ZAVRIEŤ</translation>
    </message>
    <message>
        <source>This camera has no settings to adjust.</source>
        <translation>Táto kamera nemá žiadne nastavenia.</translation>
    </message>
    <message>
        <source>No camera settings: the camera is not connected.</source>
        <translation>Nastavenia kamery nie sú k dispozícii: kamera nie je pripojená.</translation>
    </message>
    <message>
        <source>Did you allow camera use?</source>
        <translation>Povolili ste používanie kamery?</translation>
    </message>
    <message>
        <source>Your user account may not use the camera (%1).
Add it to the group &quot;%2&quot;, then log out and back in.</source>
        <translation>Váš používateľský účet nesmie používať kameru (%1).
Pridajte ho do skupiny „%2“, potom sa odhláste a znova prihláste.</translation>
    </message>
    <message>
        <source>No camera settings: another program is using the camera.</source>
        <translation>Nastavenia kamery nie sú k dispozícii: kameru používa iný program.</translation>
    </message>
    <message>
        <source>No camera settings: %1 is not a camera.</source>
        <translation>Nastavenia kamery nie sú k dispozícii: %1 nie je kamera.</translation>
    </message>
    <message>
        <source>No camera settings: %1 cannot be opened (%2).</source>
        <translation>Nastavenia kamery nie sú k dispozícii: %1 sa nedá otvoriť (%2).</translation>
    </message>
    <message>
        <source>APPLY</source>
        <translation>POUŽIŤ</translation>
    </message>
    <message>
        <source>Has no effect now, usually because an automatic mode is on.</source>
        <translation>Teraz nemá účinok, zvyčajne preto, že je zapnutý automatický režim.</translation>
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
        <translation>interaktívna pripomienka žmurkania</translation>
    </message>
    <message>
        <source>blink-rate measurement</source>
        <translation>meranie frekvencie žmurkania</translation>
    </message>
    <message>
        <source>presence check</source>
        <translation>kontrola prítomnosti</translation>
    </message>
    <message>
        <source>finished</source>
        <translation>dokončené</translation>
    </message>
    <message>
        <source>no face seen</source>
        <translation>tvár nebola viditeľná</translation>
    </message>
    <message>
        <source>camera error</source>
        <translation>chyba kamery</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>zastavené</translation>
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
        <translation>Čas kamery dnes: %1, tento týždeň: %2</translation>
    </message>
    <message>
        <source>The camera has not run in the last 30 days.</source>
        <translation>Kamera za posledných 30 dní nebežala.</translation>
    </message>
    <message>
        <source>Last runs:</source>
        <translation>Posledné spustenia:</translation>
    </message>
    <message>
        <source>%1, %2, %3 frames, %4</source>
        <translation>%1, %2, %3 snímok, %4</translation>
    </message>
</context>
<context>
    <name>Downloader</name>
    <message>
        <source>Time remaining</source>
        <translation>Zostávajúci čas</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Otvoriť</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Zastaviť</translation>
    </message>
    <message>
        <source>Updater</source>
        <translation>Aktualizácia</translation>
    </message>
    <message>
        <source>Downloading updates</source>
        <translation>Sťahuje sa aktualizácia</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>neznámy</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 bajtov</translation>
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
        <translation>približne %1 h</translation>
    </message>
    <message>
        <source>about one hour</source>
        <translation>približne hodina</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 minúta</translation>
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
        <translation>Chyba: aktualizáciu sa nepodarilo stiahnuť!</translation>
    </message>
    <message>
        <source>Error, the downloaded update is corrupted!</source>
        <translation>Chyba: stiahnutá aktualizácia je poškodená!</translation>
    </message>
    <message>
        <source>Error, the update could not be saved!</source>
        <translation>Chyba: aktualizáciu sa nepodarilo uložiť!</translation>
    </message>
    <message>
        <source>Press OK to download again.</source>
        <translation>Stlačením OK ju stiahnete znova.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavrieť</translation>
    </message>
    <message>
        <source>Download complete!</source>
        <translation>Sťahovanie je dokončené!</translation>
    </message>
    <message>
        <source>Saved as %1</source>
        <translation>Uložené ako %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Chyba</translation>
    </message>
    <message>
        <source>The downloaded update is missing!</source>
        <translation>Stiahnutá aktualizácia chýba!</translation>
    </message>
    <message>
        <source>Are you sure you want to cancel the download?</source>
        <translation>Naozaj chcete zrušiť sťahovanie?</translation>
    </message>
</context>
<context>
    <name>ExerciseReminderWidget</name>
    <message>
        <source>Use drag and drop to change the reminder position.</source>
        <translation>Pozíciu pripomienky zmeníte presunutím myšou.</translation>
    </message>
    <message>
        <source>winkwell eye exercise</source>
        <translation>winkwell: cvičenie očí</translation>
    </message>
    <message>
        <source>My work is more important than my eyes.</source>
        <translation>Moja práca je dôležitejšia než moje oči.</translation>
    </message>
    <message>
        <source>SKIP</source>
        <translation>PRESKOČIŤ</translation>
    </message>
    <message>
        <source>Look out of the window (or towards any other long distance) for 10 sec.</source>
        <translation>Pozerajte sa 10 s z okna (alebo na iné vzdialené miesto).</translation>
    </message>
    <message>
        <source>Blink while squeezing your lids for 10 sec.</source>
        <translation>Žmurkajte 10 s a pevne pritom zatvárajte viečka.</translation>
    </message>
    <message>
        <source>Move your eyes from side to side for 10 sec.</source>
        <translation>Pohybujte očami 10 s zo strany na stranu.</translation>
    </message>
    <message>
        <source>Rotate your eyes for 10 sec.</source>
        <translation>Krúžte očami 10 s.</translation>
    </message>
</context>
<context>
    <name>HotkeySet</name>
    <message>
        <source>%1 is already another hotkey</source>
        <translation>%1 už používa iná skratka</translation>
    </message>
    <message>
        <source>hotkeys cannot work on this desktop</source>
        <translation>klávesové skratky v tomto pracovnom prostredí nefungujú</translation>
    </message>
    <message>
        <source>%1 is held by the desktop or another program</source>
        <translation>%1 používa pracovné prostredie alebo iný program</translation>
    </message>
</context>
<context>
    <name>Model</name>
    <message>
        <source>blink detected</source>
        <translation>žmurknutie zaznamenané</translation>
    </message>
    <message>
        <source>empty frame received
camera disconnected
or broken or bad cable
or bad driver</source>
        <translation>prijatý prázdny snímok
kamera je odpojená
alebo pokazená, zlý kábel
alebo zlý ovládač</translation>
    </message>
    <message>
        <source>camera is occupied or not connected</source>
        <translation>kamera je obsadená alebo nepripojená</translation>
    </message>
    <message>
        <source>loading classifiers</source>
        <translation>načítavajú sa klasifikátory</translation>
    </message>
    <message>
        <source>missing file: data.dat or low memory</source>
        <translation>chýba súbor data.dat alebo je málo pamäte</translation>
    </message>
</context>
<context>
    <name>StatisticsController</name>
    <message>
        <source>Your blink-rate history cannot be read (%1). New measurements are kept and saved with it once it can be read again.</source>
        <translation>Históriu frekvencie žmurkania nemožno prečítať (%1). Nové merania sa uchovajú a uložia sa k nej, keď ju bude opäť možné prečítať.</translation>
    </message>
    <message>
        <source>Your blink-rate history was damaged. It is kept as &quot;%1&quot;, and a new history has begun.</source>
        <translation>História frekvencie žmurkania bola poškodená. Uchováva sa ako „%1“ a začala sa nová história.</translation>
    </message>
    <message>
        <source>That is the history file itself.</source>
        <translation>To je samotný súbor s históriou.</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>Version %1 of %2 has been released!</source>
        <translation>Bola vydaná verzia %1 programu %2!</translation>
    </message>
    <message>
        <source>Would you like to download the update now (size %1MB)?</source>
        <translation>Chcete aktualizáciu stiahnuť teraz (veľkosť %1 MB)?</translation>
    </message>
</context>
<context>
    <name>WidgetProxy</name>
    <message>
        <source>Server unreachable or network settings has changed. Please provide valid settings or restart winkwell.</source>
        <translation>Server je nedostupný alebo sa zmenili nastavenia siete. Zadajte platné nastavenia alebo reštartujte winkwell.</translation>
    </message>
</context>
<context>
    <name>WidgetStatistics</name>
    <message>
        <source>Blinks per minute (bpm)</source>
        <translation>Žmurknutia za minútu</translation>
    </message>
    <message>
        <source>healthy</source>
        <translation>zdravé</translation>
    </message>
    <message>
        <source>unknown date</source>
        <translation>neznámy dátum</translation>
    </message>
    <message>
        <source>Blink rate:</source>
        <translation>Frekvencia žmurkania:</translation>
    </message>
    <message>
        <source>blinks per minute</source>
        <translation>za minútu</translation>
    </message>
    <message>
        <source>Average blink duration:</source>
        <translation>Priemerná dĺžka žmurknutia:</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>milisekúnd</translation>
    </message>
    <message>
        <source>Are you sure to delete all measurements?</source>
        <translation>Naozaj chcete odstrániť všetky merania?</translation>
    </message>
    <message>
        <source>Export history</source>
        <translation>Exportovať históriu</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Súbory CSV (*.csv)</translation>
    </message>
    <message>
        <source>The history could not be exported to %1:
%2</source>
        <translation>Históriu sa nepodarilo exportovať do %1:
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
        <translation>Merania</translation>
    </message>
    <message>
        <source>Blinks per minute</source>
        <translation>Žmurknutia
za minútu</translation>
    </message>
    <message>
        <source>healthy</source>
        <translation>zdravé</translation>
    </message>
    <message>
        <source>Open history</source>
        <translation>Otvoriť históriu</translation>
    </message>
    <message>
        <source>Blink rate:</source>
        <translation>Frekvencia žmurkania:</translation>
    </message>
    <message>
        <source>blinks per minute</source>
        <translation>za minútu</translation>
    </message>
    <message>
        <source>Average blink duration:</source>
        <translation>Priemerná dĺžka žmurknutia:</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>milisekúnd</translation>
    </message>
    <message>
        <source>Blink-rate history</source>
        <translation>História frekvencie žmurkania</translation>
    </message>
    <message>
        <source>winkwell - settings</source>
        <translation>winkwell – nastavenia</translation>
    </message>
    <message>
        <source>winkwell - about</source>
        <translation>winkwell – o programe</translation>
    </message>
    <message>
        <source>Test blink detection</source>
        <translation>Test rozpoznávania žmurkania</translation>
    </message>
    <message>
        <source>is running in background. You can quit Winkwell by opening the right-click menu at this tray icon.</source>
        <comment>trayicon</comment>
        <translation>beží na pozadí. Winkwell ukončíte v ponuke, ktorú otvoríte kliknutím pravým tlačidlom na túto ikonu v oblasti oznámení.</translation>
    </message>
    <message>
        <source>CHANGE REMINDER POSITION</source>
        <translation>ZMENIŤ POLOHU PRIPOMIENKY</translation>
    </message>
    <message>
        <source>version</source>
        <translation>verzia</translation>
    </message>
    <message>
        <source>Blink measurement completed</source>
        <translation>Meranie žmurkania je dokončené</translation>
    </message>
    <message>
        <source>Blink rate: </source>
        <translation>Frekvencia žmurkania: </translation>
    </message>
    <message>
        <source> blinks per minute</source>
        <translation> za minútu</translation>
    </message>
    <message>
        <source>SAVE NEW POSITION</source>
        <translation>ULOŽIŤ NOVÚ POLOHU</translation>
    </message>
    <message>
        <source>%1 (no access)</source>
        <translation>%1 (bez prístupu)</translation>
    </message>
    <message>
        <source>Your user may not open %1. Add it to the group &quot;%2&quot; (for example: sudo adduser $USER %2), then log in again.</source>
        <translation>Váš používateľ nesmie otvoriť %1. Pridajte ho do skupiny „%2“ (napríklad: sudo adduser $USER %2) a potom sa znova prihláste.</translation>
    </message>
    <message>
        <source>Measurement will start shortly.</source>
        <translation>Meranie sa čoskoro začne.</translation>
    </message>
    <message>
        <source>No measurement taken yet. Your blink rate is measured approximately every 30 minutes.</source>
        <translation>Zatiaľ neprebehlo žiadne meranie. Vaša frekvencia žmurkania sa meria približne každých 30 minút.</translation>
    </message>
    <message>
        <source>Measurement in progress</source>
        <translation>Prebieha meranie</translation>
    </message>
    <message>
        <source>Winkwell observes your blinks (blink training is active).</source>
        <translation>Winkwell sleduje vaše žmurkanie (tréning žmurkania je zapnutý).</translation>
    </message>
    <message>
        <source>Error:</source>
        <translation>Chyba:</translation>
    </message>
    <message>
        <source> insufficient memory RAM or missing data.dat.</source>
        <translation> nedostatok pamäte RAM alebo chýba data.dat.</translation>
    </message>
    <message>
        <source> camera is used by other software.</source>
        <translation> kameru používa iný program.</translation>
    </message>
    <message>
        <source> low frame per second, cheap camera or bad light conditions.</source>
        <translation> málo snímok za sekundu, lacná kamera alebo zlé osvetlenie.</translation>
    </message>
    <message>
        <source>Face not detected, please test blink detection performance (webcam icon).</source>
        <translation>Tvár sa nenašla, otestujte rozpoznávanie žmurkania (ikona kamery).</translation>
    </message>
    <message>
        <source>More than one face detected.</source>
        <translation>Našla sa viac než jedna tvár.</translation>
    </message>
    <message>
        <source> empty frame received, camera unplugged? (or bad cable or broken camera or bad driver).</source>
        <translation> prijatý prázdny snímok, je kamera odpojená? (alebo zlý kábel, pokazená kamera či zlý ovládač).</translation>
    </message>
    <message>
        <source> camera is not connected.</source>
        <translation> kamera nie je pripojená.</translation>
    </message>
    <message>
        <source>no error</source>
        <translation>žiadna chyba</translation>
    </message>
    <message>
        <source>winkwell - presentation mode</source>
        <translation>winkwell – režim prezentácie</translation>
    </message>
    <message>
        <source>winkwell camera use paused</source>
        <translation>winkwell: používanie kamery pozastavené</translation>
    </message>
    <message>
        <source>winkwell - in a call: reminders wait</source>
        <translation>winkwell - počas hovoru: pripomienky čakajú</translation>
    </message>
    <message>
        <source>Winkwell looks whether you are at the screen.</source>
        <translation>Winkwell sa pozerá, či ste pri obrazovke.</translation>
    </message>
</context>
<context>
    <name>widgetProxy</name>
    <message>
        <source>Proxy settings</source>
        <translation>Nastavenia proxy</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavrieť</translation>
    </message>
    <message>
        <source>use these settings</source>
        <translation>použiť tieto nastavenia</translation>
    </message>
    <message>
        <source>Veryfing connection, please wait...</source>
        <translation>Overuje sa pripojenie, čakajte, prosím…</translation>
    </message>
    <message>
        <source>port:</source>
        <translation>port:</translation>
    </message>
    <message>
        <source>username:</source>
        <translation>používateľské meno:</translation>
    </message>
    <message>
        <source>password:</source>
        <translation>heslo:</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>ULOŽIŤ</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ZRUŠIŤ</translation>
    </message>
</context>
<context>
    <name>widgetStatistics</name>
    <message>
        <source>Statistics</source>
        <translation>Štatistika</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximalizovať</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavrieť</translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>Dátum začiatku</translation>
    </message>
    <message>
        <source>End date</source>
        <translation>Dátum konca</translation>
    </message>
    <message>
        <source>Save the whole history as a CSV file for a spreadsheet</source>
        <translation>Uložiť celú históriu ako súbor CSV pre tabuľkový procesor</translation>
    </message>
    <message>
        <source>EXPORT</source>
        <translation>EXPORTOVAŤ</translation>
    </message>
    <message>
        <source>DELETE HISTORY</source>
        <translation>VYMAZAŤ HISTÓRIU</translation>
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
        <translation>Nastavenia</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Späť</translation>
    </message>
    <message>
        <source>Test blink detection</source>
        <translation>Test rozpoznávania žmurkania</translation>
    </message>
    <message>
        <source>About</source>
        <translation>O programe</translation>
    </message>
    <message>
        <source>Minimize to tray icon</source>
        <translation>Minimalizovať do oblasti oznámení</translation>
    </message>
    <message>
        <source>High screen brightness compared to the room light lowers the blink rate.
Not compatible with other tools that change the screen brightness or colour.</source>
        <translation>Vysoký jas obrazovky v porovnaní so svetlom v miestnosti znižuje frekvenciu žmurkania.
Nie je kompatibilné s inými nástrojmi, ktoré menia jas alebo farby obrazovky.</translation>
    </message>
    <message>
        <source>Screen control</source>
        <translation>Ovládanie obrazovky</translation>
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
        <translation>Softvérové (−8 až 0) a hardvérové (0 až 10) nastavenie jasu obrazovky.
Niektoré monitory a grafické karty hardvérové nastavenie jasu nepodporujú,
vtedy je k dispozícii len softvérové nastavenie jasu.</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>Color temperature</source>
        <translation>Teplota farieb</translation>
    </message>
    <message>
        <source>Software screen color temperature adjustment</source>
        <translation>Softvérové nastavenie teploty farieb obrazovky</translation>
    </message>
    <message>
        <source>WARMER</source>
        <translation>TEPLEJŠIE</translation>
    </message>
    <message>
        <source>WARM</source>
        <translation>TEPLÉ</translation>
    </message>
    <message>
        <source>NORMAL</source>
        <translation>NORMÁLNE</translation>
    </message>
    <message>
        <source>A blink reminder will help you to blink more often</source>
        <translation>Pripomienka žmurkania vám pomôže žmurkať častejšie</translation>
    </message>
    <message>
        <source>Blink training</source>
        <translation>Tréning žmurkania</translation>
    </message>
    <message>
        <source>Training frequency (how often to check for blinks):</source>
        <translation>Frekvencia tréningu (ako často kontrolovať žmurknutie):</translation>
    </message>
    <message>
        <source>How often the reminder checks for your blink. Periods below 10 sec. load the processor more.
The reminder keeps your display awake: set the power-saving display timeout a little longer than the period.</source>
        <translation>Ako často pripomienka kontroluje, či ste žmurkli. Intervaly pod 10 s viac zaťažujú procesor.
Pripomienka nedovolí obrazovke zhasnúť: čas do vypnutia obrazovky nastavte o niečo dlhší než interval.</translation>
    </message>
    <message>
        <source> sec.</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Use the simple reminder (no webcam use) at regular intervals</source>
        <translation>Používať jednoduchú pripomienku (bez kamery) v pravidelných intervaloch</translation>
    </message>
    <message>
        <source>Use the interactive reminder (shows only at low blink rate)</source>
        <translation>Používať interaktívnu pripomienku (zobrazí sa len pri nízkej frekvencii žmurkania)</translation>
    </message>
    <message>
        <source>It uses the camera and the reminder goes away with your blink.</source>
        <translation>Používa kameru a pripomienka zmizne, keď žmurknete.</translation>
    </message>
    <message>
        <source>I have Meibomian gland dysfunction</source>
        <translation>Mám dysfunkciu Meibomových žliaz</translation>
    </message>
    <message>
        <source>Select this option if you have healthy blink rate and still suffer from dry eye. The reminder will be shown at regular intervals and dismissed with your blink.</source>
        <translation>Túto možnosť zvoľte, ak máte zdravú frekvenciu žmurkania, a napriek tomu trpíte suchým okom. Pripomienka sa zobrazí v pravidelných intervaloch a zmizne, keď žmurknete.</translation>
    </message>
    <message>
        <source>learn more</source>
        <translation>viac informácií</translation>
    </message>
    <message>
        <source>Enable sound in the reminder</source>
        <translation>Zapnúť zvuk pripomienky</translation>
    </message>
    <message>
        <source>CHANGE REMINDER POSITION</source>
        <translation>ZMENIŤ POLOHU PRIPOMIENKY</translation>
    </message>
    <message>
        <source>Changing the focus distance relaxes the eye muscles. Natural breaks count as exercises.
You can drag and drop the reminder to find a suitable location for it.</source>
        <translation>Zmena zaostrovacej vzdialenosti uvoľňuje očné svaly. Prirodzené prestávky sa počítajú ako cvičenie.
Pripomienku môžete myšou presunúť na vhodné miesto.</translation>
    </message>
    <message>
        <source>Eye exercises each 20 minutes</source>
        <translation>Cvičenie očí každých 20 minút</translation>
    </message>
    <message>
        <source>Regular breaks are important to prevent tired eyes and varicose veins. You can drag and drop the reminder to find a suitable location for it.</source>
        <translation>Pravidelné prestávky sú dôležité ako prevencia unavených očí a kŕčových žíl. Pripomienku môžete myšou presunúť na vhodné miesto.</translation>
    </message>
    <message>
        <source>Computer breaks</source>
        <translation>Prestávky pri počítači</translation>
    </message>
    <message>
        <source>I stand up from my desk and take a break each</source>
        <translation>Vstanem od stola a dám si prestávku každých</translation>
    </message>
    <message>
        <source>Standing up is important because of varicose veins prevention.</source>
        <translation>Vstať je dôležité kvôli prevencii kŕčových žíl.</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> min</translation>
    </message>
    <message>
        <source>Consider</source>
        <translation>Považovať</translation>
    </message>
    <message>
        <source>Include your natural breaks (computer inactivity time) into the break reminder plan.</source>
        <translation>Započítať prirodzené prestávky (čas nečinnosti počítača) do plánu prestávok.</translation>
    </message>
    <message>
        <source>of no mouse or keyboard activity as a break</source>
        <translation>bez aktivity myši a klávesnice za prestávku</translation>
    </message>
    <message>
        <source>Your blink rate is measured every half an hour; a measurement lasts about 3 minutes.
The graph shows your recent blink rates. Measurements do not interfere with blink training.</source>
        <translation>Vaša frekvencia žmurkania sa meria každú polhodinu; meranie trvá asi 3 minúty.
Graf ukazuje vaše posledné merania. Merania neprekážajú tréningu žmurkania.</translation>
    </message>
    <message>
        <source>Blink rate statistics</source>
        <translation>Štatistika žmurkania</translation>
    </message>
    <message>
        <source>Enable notification on completed blink measurement</source>
        <translation>Upozorniť na dokončené meranie žmurkania</translation>
    </message>
    <message>
        <source>TAKE FIRST MEASUREMENT</source>
        <translation>SPUSTIŤ PRVÉ MERANIE</translation>
    </message>
    <message>
        <source>Measurements are sent for research only with your consent.</source>
        <translation>Merania sa na výskum odosielajú len s vaším súhlasom.</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Sieť</translation>
    </message>
    <message>
        <source>&lt;p style=&apos;color:#d45500&apos;&gt;No internet connection detected on startup. Restart winkwell to try again.&lt;/p&gt;&lt;p&gt;If you connect through a proxy server, enter it under PROXY SETTINGS. Some employers block network traffic of programs; a phone or a public hotspot will tell whether that is the case.&lt;/p&gt;</source>
        <translation>&lt;p style=&apos;color:#d45500&apos;&gt;Pri spustení sa nezistilo internetové pripojenie. Ak to chcete skúsiť znova, reštartujte winkwell.&lt;/p&gt;&lt;p&gt;Ak sa pripájate cez proxy server, zadajte ho v časti NASTAVENIA PROXY. Niektorí zamestnávatelia blokujú sieťovú komunikáciu programov; telefón alebo verejný hotspot ukáže, či je to tak.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>PROXY SETTINGS</source>
        <translation>NASTAVENIA PROXY</translation>
    </message>
    <message>
        <source>Keys that work in every program. Click the box and press the new combination.</source>
        <translation>Klávesy, ktoré fungujú v každom programe. Kliknite do poľa a stlačte novú kombináciu.</translation>
    </message>
    <message>
        <source>Hotkeys</source>
        <translation>Klávesové skratky</translation>
    </message>
    <message>
        <source>enable</source>
        <translation>zapnúť</translation>
    </message>
    <message>
        <source>Increase screen brightness:</source>
        <translation>Zvýšiť jas obrazovky:</translation>
    </message>
    <message>
        <source>Decrease screen brightness:</source>
        <translation>Znížiť jas obrazovky:</translation>
    </message>
    <message>
        <source>Change color temperature:</source>
        <translation>Zmeniť teplotu farieb:</translation>
    </message>
    <message>
        <source>Camera-based features pause while another program needs the camera,
recognised by the titles of its windows, or while the computer runs on battery.</source>
        <translation>Funkcie s kamerou sa pozastavia, kým kameru potrebuje iný program
(rozpozná sa podľa názvov jeho okien), alebo kým počítač beží na batériu.</translation>
    </message>
    <message>
        <source>Automatic pause camera based features</source>
        <translation>Automaticky pozastaviť funkcie s kamerou</translation>
    </message>
    <message>
        <source>When running on battery</source>
        <translation>Pri napájaní z batérie</translation>
    </message>
    <message>
        <source>When a keyword is present as part of window title of an app:</source>
        <translation>Keď názov okna niektorého programu obsahuje kľúčové slovo:</translation>
    </message>
    <message>
        <source>separate by &apos;;&apos;, for example: &quot;Skype;Call;Zoom&quot;</source>
        <translation>oddeľte bodkočiarkou, napríklad: „Skype;Call;Zoom“</translation>
    </message>
    <message>
        <source>Everything pauses during a presentation or a film, recognised by a cloned screen,
running programs or window titles.</source>
        <translation>Počas prezentácie alebo filmu sa všetko pozastaví; rozpozná sa podľa klonovanej obrazovky,
spustených programov alebo názvov okien.</translation>
    </message>
    <message>
        <source>Pause winkwell (all functionalities, all reminders)</source>
        <translation>Pozastaviť winkwell (všetky funkcie, všetky pripomienky)</translation>
    </message>
    <message>
        <source>When the cloned screen is detected (probably a projector is connected)</source>
        <translation>Keď sa zistí klonovaná obrazovka (pravdepodobne je pripojený projektor)</translation>
    </message>
    <message>
        <source>When one of these processes run:</source>
        <translation>Keď beží niektorý z týchto procesov:</translation>
    </message>
    <message>
        <source>separate by &apos;;&apos;, for example: &quot;vlc;zoom;&quot;</source>
        <translation>oddeľte bodkočiarkou, napríklad: „vlc;zoom;“</translation>
    </message>
    <message>
        <source>Miscellaneous</source>
        <translation>Rôzne</translation>
    </message>
    <message>
        <source>Enable Beta version updates</source>
        <translation>Povoliť aktualizácie na beta verzie</translation>
    </message>
    <message>
        <source>Start on operating system startup</source>
        <translation>Spustiť pri štarte operačného systému</translation>
    </message>
    <message>
        <source>Send blink rate measurements for research</source>
        <translation>Odosielať merania frekvencie žmurkania na výskum</translation>
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
        <translation>winkwell vám pripomína žmurkať, meria frekvenciu vášho žmurkania, pripomína prestávky pri počítači a cvičenie očí a prispôsobuje obrazovku miestnosti. Všetko, čo vidí cez kameru, zostáva v tomto počítači.</translation>
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
        <translation>winkwell verzia</translation>
    </message>
    <message>
        <source>winkwell uses open source:</source>
        <translation>winkwell používa open source:</translation>
    </message>
    <message>
        <source>NOTICES</source>
        <translation>LICENCIE</translation>
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
        <translation>NASTAVENIA</translation>
    </message>
    <message>
        <source>This is a real-time blink detection test only, no measurement will be taken.</source>
        <translation>Toto je len test rozpoznávania žmurkania v reálnom čase, meranie sa nevykoná.</translation>
    </message>
    <message>
        <source>Did you allow camera use?</source>
        <translation>Povolili ste používanie kamery?</translation>
    </message>
    <message>
        <source>PRIVACY SETTINGS</source>
        <translation>NASTAVENIA SÚKROMIA</translation>
    </message>
    <message>
        <source>Blinks are detected best at 15 or more frames per second: a cheap camera or a dark room slows the camera down.</source>
        <translation>Žmurknutia sa najlepšie rozpoznávajú pri 15 a viac snímkach za sekundu: lacná kamera alebo tmavá miestnosť kameru spomaľuje.</translation>
    </message>
    <message>
        <source>Open winkwell</source>
        <translation>Otvoriť winkwell</translation>
    </message>
    <message>
        <source>Pause winkwell</source>
        <translation>Pozastaviť winkwell</translation>
    </message>
    <message>
        <source>Presentation mode (No reminders, no measurements, no screen brightness changes)</source>
        <translation>Režim prezentácie (žiadne pripomienky, merania ani zmeny jasu obrazovky)</translation>
    </message>
    <message>
        <source>Use winkwell</source>
        <translation>Používať winkwell</translation>
    </message>
    <message>
        <source>All settings back to normal</source>
        <translation>Všetky nastavenia opäť platia</translation>
    </message>
    <message>
        <source>Stop camera use</source>
        <translation>Prestať používať kameru</translation>
    </message>
    <message>
        <source>Pause camera-based features</source>
        <translation>Pozastaviť funkcie s kamerou</translation>
    </message>
    <message>
        <source>Use camera</source>
        <translation>Používať kameru</translation>
    </message>
    <message>
        <source>Enable camera-based features</source>
        <translation>Zapnúť funkcie s kamerou</translation>
    </message>
    <message>
        <source>Exit winkwell</source>
        <translation>Ukončiť winkwell</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Pomocník</translation>
    </message>
    <message>
        <source>Privacy policy</source>
        <translation>Zásady ochrany súkromia</translation>
    </message>
    <message>
        <source>Hold reminders while I am in a call</source>
        <translation>Pozdržať pripomienky počas môjho hovoru</translation>
    </message>
    <message>
        <source>Camera use (this record never leaves the computer)</source>
        <translation>Používanie kamery (tento záznam nikdy neopustí počítač)</translation>
    </message>
    <message>
        <source>Use the webcam to tell when I am away</source>
        <translation>Rozpoznať kamerou, kedy nie som pri počítači</translation>
    </message>
    <message>
        <source>A face in front of the screen means reading or watching, not a break; no face during a break ends it as a natural break. The camera looks for a second or two, at most once a minute.</source>
        <translation>Tvár pred obrazovkou znamená čítanie alebo pozeranie, nie prestávku; bez tváre počas prestávky sa prestávka skončí ako prirodzená. Kamera sa pozrie na sekundu či dve, najviac raz za minútu.</translation>
    </message>
    <message>
        <source>call window titles, e.g. &quot;Zoom Meeting;Jitsi Meet&quot;</source>
        <translation>názvy okien hovorov, napr. „Zoom Meeting;Jitsi Meet“</translation>
    </message>
    <message>
        <source>A call is also seen while another program records from the microphone or holds the camera. Separate the words by &apos;;&apos;.</source>
        <translation>Hovor sa rozpozná aj vtedy, keď iný program nahráva z mikrofónu alebo používa kameru. Slová oddeľte znakom &apos;;&apos;.</translation>
    </message>
</context>
</TS>
