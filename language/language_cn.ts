<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>About</name>
    <message>
        <location filename="../app/About.cpp" line="+12"/>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Software name: </source>
        <translation>软件名称：</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Quorvane</source>
        <translation>Quorvane 万用表上位机</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Software version: </source>
        <translation>软件版本：</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Readings go to:</source>
        <translation>读数存储到：</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>ComSet</name>
    <message>
        <location filename="../app/ComSet.cpp" line="+25"/>
        <source>Serial Port Setup</source>
        <translation>串口设置</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>COM:</source>
        <translation>串口：</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Serial port</source>
        <translation>串口</translation>
    </message>
</context>
<context>
    <name>Communication</name>
    <message>
        <location filename="../meter/Communication.cpp" line="+54"/>
        <source>the line setting %1 baud, 8N1 was refused (%2)</source>
        <translation>线路设置 %1 波特、8N1 被拒绝（%2）</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Cannot open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <location line="+11"/>
        <source> (the device belongs to group %1; join it and log in again)</source>
        <translation>（该设备属于用户组 %1；请加入该组并重新登录）</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> (the device is owned by %1 with mode %2, which gives its group no read and write access)</source>
        <translation>（该设备的所有者是 %1，权限模式为 %2，其用户组不能读写它）</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>Meter disconnected: %1 was removed</source>
        <translation>仪表已断开：%1 已被移除</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Meter disconnected: %1: %2</source>
        <translation>仪表已断开：%1：%2</translation>
    </message>
</context>
<context>
    <name>DataQueryTime</name>
    <message>
        <location filename="../history/DataQueryTime.cpp" line="+19"/>
        <source>Historical records query</source>
        <translation>历史记录查询</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Start Time:</source>
        <translation>开始时间：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop Time:</source>
        <translation>结束时间：</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Start time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop time</source>
        <translation>停止时间</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>The start time cannot be greater than the stop time</source>
        <translation>开始时间不能晚于结束时间</translation>
    </message>
</context>
<context>
    <name>ExportJob</name>
    <message>
        <location filename="../history/ExportJob.cpp" line="+41"/>
        <source>The export was cancelled.</source>
        <translation>导出已取消。</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <location filename="../app/HelpWindow.cpp" line="+38"/>
        <source>Quorvane Help</source>
        <translation>Quorvane 帮助</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+2"/>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>The help pages are not installed in %1.</source>
        <translation>帮助页面未安装在 %1 中。</translation>
    </message>
    <message>
        <location line="+93"/>
        <source>No page contains &quot;%1&quot;.</source>
        <translation>没有页面包含“%1”。</translation>
    </message>
</context>
<context>
    <name>HistoryData</name>
    <message>
        <location filename="../history/HistoryData.cpp" line="+46"/>
        <source>history viewing</source>
        <translation>历史数据查看</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Data</source>
        <translation>数据</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Func</source>
        <translation>功能</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>History plot</source>
        <translation>历史曲线图</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Out excel</source>
        <translation>导出 Excel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Out txt</source>
        <translation>导出文本</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Print</source>
        <translation>打印</translation>
    </message>
    <message>
        <location line="+109"/>
        <source>Loading the stored readings...</source>
        <translation>正在加载已存储的读数……</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Waiting for the database server...</source>
        <translation>正在等待数据库服务器……</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>Reading the stored readings: %1</source>
        <translation>正在读取已存储的读数：%1</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>%1 readings</source>
        <translation>%1 条读数</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No readings in this range</source>
        <translation>此时间范围内没有读数</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the stored readings could not be read</source>
        <translation>无法读取存储的读数</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 readings, the read was cancelled</source>
        <translation>%1 条读数，读取已取消</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>the read was cancelled</source>
        <translation>读取已取消</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 to %2: %3</source>
        <translation>%1 至 %2：%3</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>History record query</source>
        <translation>历史记录查询</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The stored readings could not be read: %1</source>
        <translation>无法读取已存储的读数：%1</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Data Record</source>
        <translation>数据记录</translation>
    </message>
    <message>
        <location line="-196"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>HistoryExports</name>
    <message>
        <location filename="../history/HistoryExports.cpp" line="+30"/>
        <location line="+121"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="-87"/>
        <location line="+6"/>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 已存在。
要替换它吗？</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+66"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location line="-33"/>
        <source>Txt(*.txt)</source>
        <translation>文本文件(*.txt)</translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+37"/>
        <source>Writing %1...</source>
        <translation>正在写入 %1……</translation>
    </message>
    <message>
        <location line="-36"/>
        <source>Prompt</source>
        <translation>提示</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Save successed</source>
        <translation>保存成功</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Read File</source>
        <translation>读取文件</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Cannot open file</source>
        <translation>无法打开文件</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+15"/>
        <location line="+45"/>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <location line="-60"/>
        <source>The file %1 could not be written: %2</source>
        <translation>无法写入文件 %1：%2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Excel(*.xls *.xlsx)</source>
        <translation>Excel 文件(*.xls *.xlsx)</translation>
    </message>
    <message>
        <location line="+11"/>
        <location line="+5"/>
        <location line="+70"/>
        <source>completed</source>
        <translation>完成</translation>
    </message>
    <message>
        <location line="-74"/>
        <source>The file has been exported, is it open now?</source>
        <translation>文件已导出，是否现在打开？</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No program on this system opens %1.</source>
        <translation>本系统上没有能打开 %1 的程序。</translation>
    </message>
    <message>
        <location line="+30"/>
        <location line="+12"/>
        <location line="+8"/>
        <location line="+8"/>
        <location line="+5"/>
        <location line="+9"/>
        <source>Print</source>
        <translation>打印</translation>
    </message>
    <message>
        <location line="-42"/>
        <location line="+20"/>
        <location line="+8"/>
        <location line="+5"/>
        <location line="+9"/>
        <source>The table could not be printed: %1</source>
        <translation>无法打印表格：%1</translation>
    </message>
    <message>
        <location line="-39"/>
        <source>Data Record</source>
        <translation>数据记录</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>No default printer is set. The table was saved in %1.</source>
        <translation>未设置默认打印机。表格已保存到 %1。</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Laying out the pages...</source>
        <translation>正在排版页面……</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Print successed</source>
        <translation>打印成功</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>No default printer is set.</source>
        <translation>未设置默认打印机。</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>There is no file %1 to print.</source>
        <translation>没有可打印的文件 %1。</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../app/MainWindow.cpp" line="+47"/>
        <location line="+339"/>
        <source>Quorvane</source>
        <translation>Quorvane 万用表上位机</translation>
    </message>
    <message>
        <location line="-46"/>
        <source>History record query</source>
        <translation>历史记录查询</translation>
    </message>
    <message>
        <location line="-278"/>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Set</source>
        <translation>设置(&amp;S)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Serial &amp;port</source>
        <translation>串口(&amp;P)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Time interval</source>
        <translation>时间间隔(&amp;T)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>History &amp;record</source>
        <translation>历史记录(&amp;R)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>History record &amp;query</source>
        <translation>历史记录查询(&amp;Q)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Software &amp;instructions</source>
        <translation>软件说明(&amp;I)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;About</source>
        <translation>关于(&amp;A)</translation>
    </message>
    <message>
        <location line="+15"/>
        <location line="+205"/>
        <location line="+103"/>
        <source>Disconnected</source>
        <translation>未连接</translation>
    </message>
    <message>
        <location line="-277"/>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location line="+107"/>
        <location line="+78"/>
        <location line="+20"/>
        <source>Connected</source>
        <translation>已连接</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The database cannot be reached, so no stored readings can be shown.</source>
        <translation>无法连接数据库，因此无法显示已存储的读数。</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Readings not stored: %1</source>
        <translation>读数未存储：%1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 readings refused by the database set aside in %2</source>
        <translation>%1 条被数据库拒绝的读数已另存于 %2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Readings cannot be kept on disk: %1</source>
        <translation>读数无法保存到磁盘：%1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 readings lost</source>
        <translation>%1 条读数已丢失</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1 readings are kept and will be stored when the database is reachable</source>
        <translation>%1 条读数已保留，将在数据库可连接时存储</translation>
    </message>
    <message>
        <location line="-108"/>
        <source>No data from the meter for 5 s</source>
        <translation>仪表 5 秒无数据</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Meter back on %1: acquisition resumed</source>
        <translation>仪表已在 %1 重新连接：采集已恢复</translation>
    </message>
</context>
<context>
    <name>MaxMin</name>
    <message>
        <location filename="../display/MaxMin.cpp" line="+36"/>
        <source>Max:</source>
        <translation>最大值：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Min:</source>
        <translation>最小值：</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Maximum</source>
        <translation>最大值</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Minimum</source>
        <translation>最小值</translation>
    </message>
</context>
<context>
    <name>MineTime</name>
    <message>
        <location filename="../app/MineTime.cpp" line="+21"/>
        <source>Dwell time</source>
        <translation>采集间隔</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Automatic acquisition</source>
        <translation>自动采集</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Manual set</source>
        <translation>手动设置</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Time interval of data acquisition:</source>
        <translation>数据采集时间间隔：</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>S</source>
        <translation>秒</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Note: Time interval of sampling data(1~3600S)</source>
        <translation>注：数据采样时间间隔（1~3600秒）</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Interval in seconds</source>
        <translation>间隔（秒）</translation>
    </message>
</context>
<context>
    <name>PrintJob</name>
    <message>
        <location filename="../history/PrintJob.cpp" line="+57"/>
        <source>The print system did not answer within a minute.</source>
        <translation>打印系统在一分钟内没有响应。</translation>
    </message>
</context>
<context>
    <name>RangeReader</name>
    <message>
        <location filename="../store/RangeReader.cpp" line="+216"/>
        <source>Out of memory.</source>
        <translation>内存不足。</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The database server did not answer.</source>
        <translation>数据库服务器没有响应。</translation>
    </message>
    <message>
        <location line="+62"/>
        <source>The server sent a row that could not be read.</source>
        <translation>服务器发送了一行无法读取的数据。</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The range holds more than %1 rows; choose a shorter one.</source>
        <translation>该时间范围内的记录超过 %1 行，请选择较短的范围。</translation>
    </message>
</context>
<context>
    <name>SafeReplace</name>
    <message>
        <location filename="../history/SafeReplace.cpp" line="+67"/>
        <source>%1 is a link that another user made in a folder every user may write to; it is not followed.</source>
        <translation>%1 是其他用户在所有用户都可写入的文件夹中创建的链接，不会跟随该链接。</translation>
    </message>
</context>
<context>
    <name>ShowData</name>
    <message>
        <location filename="../display/ShowData.cpp" line="+103"/>
        <source>Bar graph</source>
        <translation>条形图</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>Function: %1</source>
        <translation>功能：%1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Value: %1</source>
        <translation>数值：%1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Unit: %1</source>
        <translation>单位：%1</translation>
    </message>
</context>
<context>
    <name>TablePrinter</name>
    <message>
        <location filename="../history/TablePrinter.cpp" line="+57"/>
        <source>The printer cannot be used.</source>
        <translation>无法使用该打印机。</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>The page is too small for one table row.</source>
        <translation>页面太小，放不下一行表格。</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The printer refused a new page.</source>
        <translation>打印机拒绝了新的一页。</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The pages could not be rendered.</source>
        <translation>无法生成打印页面。</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>The print command lp was not found.</source>
        <translation>未找到打印命令 lp。</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>The print server did not answer.</source>
        <translation>打印服务器没有响应。</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>The printer %1 did not accept the job: %2</source>
        <translation>打印机 %1 未接受打印任务：%2</translation>
    </message>
</context>
<context>
    <name>TextExport</name>
    <message>
        <location filename="../history/TextExport.cpp" line="+17"/>
        <source>Num</source>
        <translation>序号</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Data</source>
        <translation>数据</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Func</source>
        <translation>功能</translation>
    </message>
</context>
<context>
    <name>Wave</name>
    <message>
        <location filename="../plot/Wave.cpp" line="+45"/>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Value</source>
        <translation>数值</translation>
    </message>
</context>
<context>
    <name>Widget</name>
    <message>
        <location filename="../display/Widget.cpp" line="+20"/>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Data</source>
        <translation>数据</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Func</source>
        <translation>功能</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Meter display</source>
        <translation>万用表显示</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Live readings</source>
        <translation>实时读数</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Live plot</source>
        <translation>实时曲线</translation>
    </message>
</context>
<context>
    <name>XlsxWorkbook</name>
    <message>
        <location filename="../history/XlsxWorkbook.cpp" line="+34"/>
        <source>The table has %1 rows; a workbook sheet holds at most %2. Choose a shorter time range.</source>
        <translation>表格有 %1 行，一个工作表最多容纳 %2 行。请选择更短的时间范围。</translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+4"/>
        <location line="+87"/>
        <source>The file %1 could not be written: %2</source>
        <translation>无法写入文件 %1：%2</translation>
    </message>
    <message>
        <location line="-73"/>
        <source>The file %1 could not be written.</source>
        <translation>无法写入文件 %1。</translation>
    </message>
</context>
</TS>
