// One IP profile as the window shows it and the store keeps it. Portable.
#pragma once

#include <string>

struct TIpProfile {
  std::string connection = "本地连接";  // network connection as the system names it
  std::string address;                  // dotted IPv4 text, never validated
  std::string mask = "255.255.255.0";
  std::string gateway;
  std::string dns;
};
