"""The example package of examples/sample as tools/sample-package.sh assembles it: texts
in Shift-JIS with CR LF, the manual LZ-compressed, the self-registering component."""
import os
import subprocess
import tempfile

from harness import BUILD, REPO

KEY = "KelvoSampleApp"  # its Add/Remove Programs entry
APP = "C:\\Program Files\\サンプルアプリ\\"


def example_files(second_disk=True):
    """File name -> bytes of the package folder; second_disk puts the second disk's file
    beside the rest, as a deployment share holds every disk."""
    with tempfile.TemporaryDirectory() as folder:
        # The component of the build under test, not whatever build/mingw holds.
        component = os.path.join(BUILD, "tools", "win", "testcomponent", "component_ok.dll")
        subprocess.run([os.path.join(REPO, "tools", "sample-package.sh"), folder, component], check=True)
        files = {}
        for name in os.listdir(folder):
            if os.path.isfile(os.path.join(folder, name)):
                with open(os.path.join(folder, name), "rb") as f:
                    files[name] = f.read()
        if second_disk:
            with open(os.path.join(folder, "DISK2", "EXTRA.TXT"), "rb") as f:
                files["EXTRA.TXT"] = f.read()
    return files
