<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>HistoryDialog</name>
    <message numerus="yes">
        <source>%1 of %n update(s)</source>
        <translation>
            <numerusform>%1 of %n update</numerusform>
            <numerusform>%1 of %n updates</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n older ones are not shown (vek-updater-cli history lists them all)</source>
        <translation>
            <numerusform>; %n older one is not shown (vek-updater-cli history lists them all)</numerusform>
            <numerusform>; %n older ones are not shown (vek-updater-cli history lists them all)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Exported %n update(s) to %1</source>
        <translation>
            <numerusform>Exported %n update to %1</numerusform>
            <numerusform>Exported %n updates to %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LiveLines</name>
    <message numerus="yes">
        <source>... and %n more under way</source>
        <translation>
            <numerusform>... and %n more under way</numerusform>
            <numerusform>... and %n more under way</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message numerus="yes">
        <source>Updating cameras as they are plugged in: %n updated</source>
        <translation>
            <numerusform>Updating cameras as they are plugged in: %n updated</numerusform>
            <numerusform>Updating cameras as they are plugged in: %n updated</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ProgressWindow</name>
    <message numerus="yes">
        <source>%1 of %n camera(s) done</source>
        <translation>
            <numerusform>%1 of %n camera done</numerusform>
            <numerusform>%1 of %n cameras done</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n failed</source>
        <translation>
            <numerusform>, %n failed</numerusform>
            <numerusform>, %n failed</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message numerus="yes">
        <source>%n updated</source>
        <translation>
            <numerusform>%n updated</numerusform>
            <numerusform>%n updated</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n up to date</source>
        <translation>
            <numerusform>%n up to date</numerusform>
            <numerusform>%n up to date</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n failed</source>
        <translation>
            <numerusform>%n failed</numerusform>
            <numerusform>%n failed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n stopped</source>
        <translation>
            <numerusform>%n stopped</numerusform>
            <numerusform>%n stopped</numerusform>
        </translation>
    </message>
</context>
</TS>
