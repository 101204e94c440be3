<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>About</name>
    <message>
        <location filename="../app/About.cpp" line="+12"/>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Software name: </source>
        <translation>Software name: </translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Software version: </source>
        <translation>Software version: </translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Readings go to:</source>
        <translation>Readings go to:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ComSet</name>
    <message>
        <location filename="../app/ComSet.cpp" line="+22"/>
        <source>Serial Port Setup</source>
        <translation>Serial Port Setup</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>COM:</source>
        <translation>COM:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Communication</name>
    <message>
        <location filename="../meter/Communication.cpp" line="+74"/>
        <source>the line setting %1 baud, 8N1 was refused (%2)</source>
        <translation>the line setting %1 baud, 8N1 was refused (%2)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Cannot open %1: %2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source> (the device belongs to group %1; join it and log in again)</source>
        <translation> (the device belongs to group %1; join it and log in again)</translation>
    </message>
</context>
<context>
    <name>DataQueryTime</name>
    <message>
        <location filename="../history/DataQueryTime.cpp" line="+19"/>
        <source>Historical records query</source>
        <translation>Historical records query</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Start Time:</source>
        <translation>Start Time:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop Time:</source>
        <translation>Stop Time:</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>warning</source>
        <translation>warning</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The start time cannot be greater than the stop time</source>
        <translation>The start time cannot be greater than the stop time</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <location filename="../app/HelpWindow.cpp" line="+35"/>
        <source>Quorvane Help</source>
        <translation>Quorvane Help</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>The help pages are not installed in %1.</source>
        <translation>The help pages are not installed in %1.</translation>
    </message>
</context>
<context>
    <name>HistoryData</name>
    <message>
        <location filename="../history/HistoryData.cpp" line="+57"/>
        <location line="+371"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="-345"/>
        <source>history viewing</source>
        <translation>history viewing</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Data</source>
        <translation>Data</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Unit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Func</source>
        <translation>Func</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Out excel</source>
        <translation>Out excel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Out txt</source>
        <translation>Out txt</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+246"/>
        <location line="+5"/>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <location line="-147"/>
        <source>Loading the stored readings...</source>
        <translation>Loading the stored readings...</translation>
    </message>
    <message>
        <location line="+71"/>
        <source>Waiting for the database server...</source>
        <translation>Waiting for the database server...</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Reading the stored readings: %1</source>
        <translation>Reading the stored readings: %1</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>History record query</source>
        <translation>History record query</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The stored readings could not be read: %1</source>
        <translation>The stored readings could not be read: %1</translation>
    </message>
    <message>
        <location line="+24"/>
        <location line="+104"/>
        <source>Data Record</source>
        <translation>Data Record</translation>
    </message>
    <message>
        <location line="-88"/>
        <location line="+28"/>
        <location line="+9"/>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <location line="-36"/>
        <source>Txt(*.txt)</source>
        <translation>Txt(*.txt)</translation>
    </message>
    <message>
        <location line="-38"/>
        <source>Read File</source>
        <translation>Read File</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cannot open file</source>
        <translation>Cannot open file</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+3"/>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>The file %1 could not be written: %2</source>
        <translation>The file %1 could not be written: %2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Prompt</source>
        <translation>Prompt</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Save successed</source>
        <translation>Save successed</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Excel(*.xls *.xlsx)</source>
        <translation>Excel(*.xls *.xlsx)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <location line="+10"/>
        <location line="+92"/>
        <source>completed</source>
        <translation>completed</translation>
    </message>
    <message>
        <location line="-91"/>
        <source>The file has been exported, is it open now?</source>
        <translation>The file has been exported, is it open now?</translation>
    </message>
    <message>
        <location line="-151"/>
        <location line="+105"/>
        <location line="+48"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="-48"/>
        <location line="+58"/>
        <source>Writing %1...</source>
        <translation>Writing %1...</translation>
    </message>
    <message>
        <location line="-91"/>
        <source>No default printer is set. The table was saved in %1.</source>
        <translation>No default printer is set. The table was saved in %1.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The table could not be printed: %1</source>
        <translation>The table could not be printed: %1</translation>
    </message>
    <message>
        <location line="+133"/>
        <source>Laying out the pages...</source>
        <translation>Laying out the pages...</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>The print system did not answer within a minute.</source>
        <translation>The print system did not answer within a minute.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Print successed</source>
        <translation>Print successed</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>No default printer is set.</source>
        <translation>No default printer is set.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>There is no file %1 to print.</source>
        <translation>There is no file %1 to print.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../app/MainWindow.cpp" line="+40"/>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Set</source>
        <translation>Set</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Serial port</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Time interval</source>
        <translation>Time interval</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>History record</source>
        <translation>History record</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+179"/>
        <source>History record query</source>
        <translation>History record query</translation>
    </message>
    <message>
        <location line="-178"/>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Software instructions</source>
        <translation>Software instructions</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <location line="+8"/>
        <location line="+204"/>
        <source>Disconnected</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <location line="-179"/>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <location line="+78"/>
        <location line="+48"/>
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>The database cannot be reached, so no stored readings can be shown.</source>
        <translation>The database cannot be reached, so no stored readings can be shown.</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Readings not stored: database unreachable</source>
        <translation>Readings not stored: database unreachable</translation>
    </message>
</context>
<context>
    <name>MaxMin</name>
    <message>
        <location filename="../display/MaxMin.cpp" line="+36"/>
        <source>Max:</source>
        <translation>Max:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Min:</source>
        <translation>Min:</translation>
    </message>
</context>
<context>
    <name>MineTime</name>
    <message>
        <location filename="../app/MineTime.cpp" line="+21"/>
        <source>Dwell time</source>
        <translation>Dwell time</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Automatic acquisition</source>
        <translation>Automatic acquisition</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Manual set</source>
        <translation>Manual set</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Time interval of data acquisition:</source>
        <translation>Time interval of data acquisition:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>S</source>
        <translation>S</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Note: Time interval of sampling data(1~3600S)</source>
        <translation>Note: Time interval of sampling data(1~3600S)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>RangeReader</name>
    <message>
        <location filename="../store/RangeReader.cpp" line="+214"/>
        <source>Out of memory.</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The database server did not answer.</source>
        <translation>The database server did not answer.</translation>
    </message>
    <message>
        <location line="+61"/>
        <source>The server sent a row that could not be read.</source>
        <translation>The server sent a row that could not be read.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The range holds more than %1 rows; choose a shorter one.</source>
        <translation>The range holds more than %1 rows; choose a shorter one.</translation>
    </message>
</context>
<context>
    <name>TablePrinter</name>
    <message>
        <location filename="../history/TablePrinter.cpp" line="+62"/>
        <source>The printer cannot be used.</source>
        <translation>The printer cannot be used.</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>The page is too small for one table row.</source>
        <translation>The page is too small for one table row.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The printer refused a new page.</source>
        <translation>The printer refused a new page.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The pages could not be rendered.</source>
        <translation>The pages could not be rendered.</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>The print command lp was not found.</source>
        <translation>The print command lp was not found.</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>The print server did not answer.</source>
        <translation>The print server did not answer.</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>The printer %1 did not accept the job: %2</source>
        <translation>The printer %1 did not accept the job: %2</translation>
    </message>
</context>
<context>
    <name>TextExport</name>
    <message>
        <location filename="../history/TextExport.cpp" line="+26"/>
        <source>Num</source>
        <translation>Num</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Data</source>
        <translation>Data</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Unit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Func</source>
        <translation>Func</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>The export was cancelled.</source>
        <translation>The export was cancelled.</translation>
    </message>
</context>
<context>
    <name>Wave</name>
    <message>
        <location filename="../plot/Wave.cpp" line="+45"/>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Value</source>
        <translation>Value</translation>
    </message>
</context>
<context>
    <name>Widget</name>
    <message>
        <location filename="../display/Widget.cpp" line="+20"/>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Data</source>
        <translation>Data</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Func</source>
        <translation>Func</translation>
    </message>
</context>
<context>
    <name>XlsxWorkbook</name>
    <message>
        <location filename="../history/XlsxWorkbook.cpp" line="+56"/>
        <location line="+19"/>
        <location line="+85"/>
        <source>The file %1 could not be written: %2</source>
        <translation>The file %1 could not be written: %2</translation>
    </message>
    <message>
        <location line="-67"/>
        <source>The file %1 could not be written.</source>
        <translation>The file %1 could not be written.</translation>
    </message>
</context>
</TS>
