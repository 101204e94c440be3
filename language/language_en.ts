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
        <location filename="../app/ComSet.cpp" line="+25"/>
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
    <message>
        <location line="+12"/>
        <source>Serial port</source>
        <translation>Serial port</translation>
    </message>
</context>
<context>
    <name>Communication</name>
    <message>
        <location filename="../meter/Communication.cpp" line="+54"/>
        <source>the line setting %1 baud, 8N1 was refused (%2)</source>
        <translation>the line setting %1 baud, 8N1 was refused (%2)</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Cannot open %1: %2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <location line="+11"/>
        <source> (the device belongs to group %1; join it and log in again)</source>
        <translation> (the device belongs to group %1; join it and log in again)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> (the device is owned by %1 with mode %2, which gives its group no read and write access)</source>
        <translation> (the device is owned by %1 with mode %2, which gives its group no read and write access)</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>Meter disconnected: %1 was removed</source>
        <translation>Meter disconnected: %1 was removed</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Meter disconnected: %1: %2</source>
        <translation>Meter disconnected: %1: %2</translation>
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
        <location line="+9"/>
        <source>Start time</source>
        <translation>Start time</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop time</source>
        <translation>Stop time</translation>
    </message>
    <message>
        <location line="+24"/>
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
    <name>ExportJob</name>
    <message>
        <location filename="../history/ExportJob.cpp" line="+41"/>
        <source>The export was cancelled.</source>
        <translation>The export was cancelled.</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <location filename="../app/HelpWindow.cpp" line="+38"/>
        <source>Quorvane Help</source>
        <translation>Quorvane Help</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+2"/>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>The help pages are not installed in %1.</source>
        <translation>The help pages are not installed in %1.</translation>
    </message>
    <message>
        <location line="+93"/>
        <source>No page contains &quot;%1&quot;.</source>
        <translation>No page contains &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>HistoryData</name>
    <message>
        <location filename="../history/HistoryData.cpp" line="+46"/>
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
        <location line="+18"/>
        <source>History plot</source>
        <translation>History plot</translation>
    </message>
    <message>
        <location line="+1"/>
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
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Loading the stored readings...</source>
        <translation>Loading the stored readings...</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Waiting for the database server...</source>
        <translation>Waiting for the database server...</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>Reading the stored readings: %1</source>
        <translation>Reading the stored readings: %1</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>%1 readings</source>
        <translation>%1 readings</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No readings in this range</source>
        <translation>No readings in this range</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the stored readings could not be read</source>
        <translation>the stored readings could not be read</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 readings, the read was cancelled</source>
        <translation>%1 readings, the read was cancelled</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the read was cancelled</source>
        <translation>the read was cancelled</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 to %2: %3</source>
        <translation>%1 to %2: %3</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>History record query</source>
        <translation>History record query</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The stored readings could not be read: %1</source>
        <translation>The stored readings could not be read: %1</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Data Record</source>
        <translation>Data Record</translation>
    </message>
    <message>
        <location line="-196"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>HistoryExports</name>
    <message>
        <location filename="../history/HistoryExports.cpp" line="+30"/>
        <location line="+121"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="-87"/>
        <location line="+6"/>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <location line="+1"/>
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
        <location line="+12"/>
        <location line="+66"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="-33"/>
        <source>Txt(*.txt)</source>
        <translation>Txt(*.txt)</translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+37"/>
        <source>Writing %1...</source>
        <translation>Writing %1...</translation>
    </message>
    <message>
        <location line="-36"/>
        <source>Prompt</source>
        <translation>Prompt</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Save successed</source>
        <translation>Save successed</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Read File</source>
        <translation>Read File</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cannot open file</source>
        <translation>Cannot open file</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+15"/>
        <location line="+45"/>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <location line="-60"/>
        <source>The file %1 could not be written: %2</source>
        <translation>The file %1 could not be written: %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Excel(*.xls *.xlsx)</source>
        <translation>Excel(*.xls *.xlsx)</translation>
    </message>
    <message>
        <location line="+11"/>
        <location line="+5"/>
        <location line="+70"/>
        <source>completed</source>
        <translation>completed</translation>
    </message>
    <message>
        <location line="-74"/>
        <source>The file has been exported, is it open now?</source>
        <translation>The file has been exported, is it open now?</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No program on this system opens %1.</source>
        <translation>No program on this system opens %1.</translation>
    </message>
    <message>
        <location line="+30"/>
        <location line="+12"/>
        <location line="+8"/>
        <location line="+8"/>
        <location line="+5"/>
        <location line="+9"/>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <location line="-42"/>
        <location line="+20"/>
        <location line="+8"/>
        <location line="+5"/>
        <location line="+9"/>
        <source>The table could not be printed: %1</source>
        <translation>The table could not be printed: %1</translation>
    </message>
    <message>
        <location line="-39"/>
        <source>Data Record</source>
        <translation>Data Record</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>No default printer is set. The table was saved in %1.</source>
        <translation>No default printer is set. The table was saved in %1.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Laying out the pages...</source>
        <translation>Laying out the pages...</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Print successed</source>
        <translation>Print successed</translation>
    </message>
    <message>
        <location line="+17"/>
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
        <location filename="../app/MainWindow.cpp" line="+47"/>
        <location line="+339"/>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <location line="-46"/>
        <source>History record query</source>
        <translation>History record query</translation>
    </message>
    <message>
        <location line="-278"/>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Set</source>
        <translation>&amp;Set</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Serial &amp;port</source>
        <translation>Serial &amp;port</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Time interval</source>
        <translation>&amp;Time interval</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>History &amp;record</source>
        <translation>History &amp;record</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>History record &amp;query</source>
        <translation>History record &amp;query</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Software &amp;instructions</source>
        <translation>Software &amp;instructions</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;About</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <location line="+15"/>
        <location line="+205"/>
        <location line="+103"/>
        <source>Disconnected</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <location line="-277"/>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <location line="+107"/>
        <location line="+78"/>
        <location line="+20"/>
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The database cannot be reached, so no stored readings can be shown.</source>
        <translation>The database cannot be reached, so no stored readings can be shown.</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Readings not stored: %1</source>
        <translation>Readings not stored: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 readings refused by the database set aside in %2</source>
        <translation>%1 readings refused by the database set aside in %2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Readings cannot be kept on disk: %1</source>
        <translation>Readings cannot be kept on disk: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 readings lost</source>
        <translation>%1 readings lost</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1 readings are kept and will be stored when the database is reachable</source>
        <translation>%1 readings are kept and will be stored when the database is reachable</translation>
    </message>
    <message>
        <location line="-108"/>
        <source>No data from the meter for 5 s</source>
        <translation>No data from the meter for 5 s</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Meter back on %1: acquisition resumed</source>
        <translation>Meter back on %1: acquisition resumed</translation>
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
    <message>
        <location line="+11"/>
        <source>Maximum</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Minimum</source>
        <translation>Minimum</translation>
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
    <message>
        <location line="+15"/>
        <source>Interval in seconds</source>
        <translation>Interval in seconds</translation>
    </message>
</context>
<context>
    <name>PrintJob</name>
    <message>
        <location filename="../history/PrintJob.cpp" line="+57"/>
        <source>The print system did not answer within a minute.</source>
        <translation>The print system did not answer within a minute.</translation>
    </message>
</context>
<context>
    <name>RangeReader</name>
    <message>
        <location filename="../store/RangeReader.cpp" line="+216"/>
        <source>Out of memory.</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The database server did not answer.</source>
        <translation>The database server did not answer.</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>The server sent a row that could not be read.</source>
        <translation>The server sent a row that could not be read.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The range holds more than %1 rows; choose a shorter one.</source>
        <translation>The range holds more than %1 rows; choose a shorter one.</translation>
    </message>
</context>
<context>
    <name>SafeReplace</name>
    <message>
        <location filename="../history/SafeReplace.cpp" line="+67"/>
        <source>%1 is a link that another user made in a folder every user may write to; it is not followed.</source>
        <translation>%1 is a link that another user made in a folder every user may write to; it is not followed.</translation>
    </message>
</context>
<context>
    <name>ShowData</name>
    <message>
        <location filename="../display/ShowData.cpp" line="+103"/>
        <source>Bar graph</source>
        <translation>Bar graph</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>Function: %1</source>
        <translation>Function: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Value: %1</source>
        <translation>Value: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Unit: %1</source>
        <translation>Unit: %1</translation>
    </message>
</context>
<context>
    <name>TablePrinter</name>
    <message>
        <location filename="../history/TablePrinter.cpp" line="+57"/>
        <source>The printer cannot be used.</source>
        <translation>The printer cannot be used.</translation>
    </message>
    <message>
        <location line="+65"/>
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
        <location filename="../history/TextExport.cpp" line="+17"/>
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
    <message>
        <location line="+18"/>
        <source>Meter display</source>
        <translation>Meter display</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Live readings</source>
        <translation>Live readings</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Live plot</source>
        <translation>Live plot</translation>
    </message>
</context>
<context>
    <name>XlsxWorkbook</name>
    <message>
        <location filename="../history/XlsxWorkbook.cpp" line="+34"/>
        <source>The table has %1 rows; a workbook sheet holds at most %2. Choose a shorter time range.</source>
        <translation>The table has %1 rows; a workbook sheet holds at most %2. Choose a shorter time range.</translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+4"/>
        <location line="+87"/>
        <source>The file %1 could not be written: %2</source>
        <translation>The file %1 could not be written: %2</translation>
    </message>
    <message>
        <location line="-73"/>
        <source>The file %1 could not be written.</source>
        <translation>The file %1 could not be written.</translation>
    </message>
</context>
</TS>
