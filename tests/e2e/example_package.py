"""The example package of examples/sample as tools/demo.sh assembles it: texts in
Shift-JIS with CR LF, the manual LZ-compressed, the self-registering component."""
import os

from harness import BUILD, REPO
from test_install import compressed

SAMPLE = os.path.join(REPO, "examples", "sample")
COMPONENT = os.path.join(BUILD, "tools", "win", "testcomponent", "component_ok.dll")
KEY = "KelvoSampleApp"  # its Add/Remove Programs entry
APP = "C:\\Program Files\\サンプルアプリ\\"


def _sjis(path):
    with open(path, encoding="utf-8") as f:
        return f.read().replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")


def example_files(second_disk=True):
    """File name -> bytes of the package folder; second_disk puts the second disk's file
    beside the rest, as a deployment share holds every disk."""
    files = {name: _sjis(os.path.join(SAMPLE, name)) for name in os.listdir(SAMPLE) if name.upper().endswith((".TXT", ".INI"))}
    files["MANUAL.TX_"] = compressed(files.pop("MANUAL.TXT"), "T")
    with open(COMPONENT, "rb") as f:
        files["SAMPLECMP.DLL"] = f.read()
    if second_disk:
        files["EXTRA.TXT"] = _sjis(os.path.join(SAMPLE, "DISK2", "EXTRA.TXT"))
    return files
