"""Reads an XML export with Python's own parser and prints what it holds, one fact a line."""
import sys
import xml.etree.ElementTree as ET

root = ET.parse(sys.argv[1]).getroot()
print("root", root.tag, root.get("Password", "-"))
for i, log in enumerate(root.findall("Log")):
    print(i, "version", log.get("Version"))
    general = log.find("General")
    for key in ("Address", "Type", "Message", "FormText", "VersionNumber", "CustomInformation"):
        print(i, "general", key, repr(general.get(key)))
    for thread in log.find("CallStack"):
        main = thread.find("MainThread") is not None
        print(i, "thread", thread.tag, thread.get("ID"), thread.findtext("Priority"), thread.get("Class"), main)
        for a in thread.findall("Address"):
            p = a.find("Procedure")
            print(i, " row", a.get("Value"), a.findtext("Module"), p.get("Unit"), p.get("Class"), p.text,
                  a.findtext("Number"), a.findtext("Offset"))
    modules = log.find("Modules")
    if modules is not None:
        for m in modules:
            print(i, "module", m.findtext("Handle"), m.get("Name"), m.findtext("Description"), m.get("Size"),
                  m.findtext("Modified"), m.get("Path"))
    regs = log.find("Registers")
    if regs is not None:
        print(i, "registers", regs.get("EAX"), regs.get("EIP"), len(regs.findall("MemoryDump")))
        dump = regs.find("MemoryDump")
        if dump is not None:
            print(i, "dump", dump.get("Stack"), dump.get("Value"), dump.get("Code"), dump.text, repr(dump.get("Chars")))
    steps = log.find("HoToReproduce")
    print(i, "steps", repr(steps.text if steps is not None else None))
