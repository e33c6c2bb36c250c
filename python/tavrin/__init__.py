"""Board-design data in memory, saved to and restored from text files.

    import tavrin
    with tavrin.Session() as s:
        board = s.create_project("board")
        s.save("board.tdb")
"""
from ._tavrin import *  # noqa: F401,F403
from ._tavrin import Error, units, __doc__  # noqa: F401
