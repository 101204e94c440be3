<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>About</name>
    <message>
        <location filename="../app/About.cpp" line="+11"/>
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
        <location line="+3"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>ComSet</name>
    <message>
        <location filename="../app/ComSet.cpp" line="+22"/>
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
        <location line="+32"/>
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
    <name>HistoryData</name>
    <message>
        <location filename="../history/HistoryData.cpp" line="+144"/>
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
        <location line="+9"/>
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
        <location line="+154"/>
        <source>Loading the stored readings...</source>
        <translation>正在加载已存储的读数……</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../app/MainWindow.cpp" line="+36"/>
        <source>Quorvane</source>
        <translation>Quorvane 万用表上位机</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Set</source>
        <translation>设置</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Serial port</source>
        <translation>串口</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Time interval</source>
        <translation>时间间隔</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>History record</source>
        <translation>历史记录</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>History record query</source>
        <translation>历史记录查询</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Software instructions</source>
        <translation>软件说明</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <location line="+8"/>
        <location line="+108"/>
        <source>Disconnected</source>
        <translation>未连接</translation>
    </message>
    <message>
        <location line="-86"/>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Connected</source>
        <translation>已连接</translation>
    </message>
</context>
<context>
    <name>MaxMin</name>
    <message>
        <location filename="../display/MaxMin.cpp" line="+33"/>
        <source>Max:</source>
        <translation>最大值：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Min:</source>
        <translation>最小值：</translation>
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
</context>
<context>
    <name>Wave</name>
    <message>
        <location filename="../plot/Wave.cpp" line="+41"/>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location line="+2"/>
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
</context>
</TS>
