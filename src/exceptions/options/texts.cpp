#include "exceptions/options/texts.h"

const TCustomizedTexts& DefaultQuillonTexts() {
  static const TCustomizedTexts texts = {
    "Information.",  // 0
    "Question.",  // 1
    "Error.",  // 2
    "An error has occurred during program execution.\r\nPlease read the following information for further details.",  // 3
    "General",  // 4
    "General Information",  // 5
    "Call Stack",  // 6
    "Call Stack Information",  // 7
    "Modules",  // 8
    "Modules Information",  // 9
    "CPU",  // 10
    "CPU Information",  // 11
    "Other",  // 12
    "Other Information",  // 13
    "&OK",  // 14
    "&Terminate",  // 15
    "&Restart",  // 16
    "&Details",  // 17
    "&Send this error via Internet",  // 18
    "&Attach a Screenshot image",  // 19
    "&Copy to Clipboard",  // 20
    "Go to the Support Page",  // 21
    "Application",  // 22
    "Start Date",  // 23
    "Name/Description",  // 24
    "Version Number",  // 25
    "Parameters",  // 26
    "Compilation Date",  // 27
    "Exception",  // 28
    "Date",  // 29
    "Address",  // 30
    "Module",  // 31
    "Type",  // 32
    "Message",  // 33
    "Active Controls",  // 34
    "Form Class",  // 35
    "Form Text",  // 36
    "Control Class",  // 37
    "Control Text",  // 38
    "Computer",  // 39
    "Name",  // 40
    "User",  // 41
    "Total Memory",  // 42
    "Free Memory",  // 43
    "Total Disk",  // 44
    "Free Disk",  // 45
    "System Up Time",  // 46
    "Processor",  // 47
    "Display Mode",  // 48
    "Operating System",  // 49
    "Type",  // 50
    "Build #",  // 51
    "Update",  // 52
    "Language",  // 53
    "Network",  // 54
    "IP Address",  // 55
    "Submask",  // 56
    "Gateway",  // 57
    "DNS 1",  // 58
    "DNS 2",  // 59
    "DHCP",  // 60
    "Custom Information",  // 61
    "Address",  // 62
    "Module",  // 63
    "Unit",  // 64
    "Class",  // 65
    "Procedure/Method",  // 66
    "Line",  // 67
    "Main",  // 68
    "Exception Thread",  // 69
    "Running Thread",  // 70
    "Calling Thread",  // 71
    "ID",  // 72
    "Priority",  // 73
    "Class",  // 74
    "Send.",  // 75
    "Message",  // 76
    "Resolving DNS...",  // 77
    "Connecting with server...",  // 78
    "Connected with server.",  // 79
    "Sending message...",  // 80
    "Request",  // 81
    "Please describe the steps to reproduce the error:",  // 82
    "&OK",  // 83
    "Handle",  // 84
    "Name",  // 85
    "Description",  // 86
    "Version",  // 87
    "Size",  // 88
    "Modified",  // 89
    "Path",  // 90
    "Registers",  // 91
    "Stack",  // 92
    "Memory Dump",  // 93
    "The message was sent successfully.",  // 94
    "Sorry, sending the message didn't work.",  // 95
  };
  return texts;
}
