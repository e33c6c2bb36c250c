"""Saving, restoring and their failures; the timing lines; two threads."""
import threading

import pytest

import tavrin


def test_round_trip_keeps_the_model_and_reverses_lists(board, tmp_path):
    path = tmp_path / "b.tdb"
    board.save(str(path))
    with tavrin.Session.load(str(path)) as copy:
        module = copy.projects["board"].designs["TOP"].representations["pcb"]
        assert sorted(pi.ref_des for pi in module.part_instances) == ["U1", "U2"]
        net = module.nets["N1"]
        assert sorted(p.cell_instance.ref_des for p in net.port_instance_scalars) == ["U1", "U2"]
        # Saving the restored copy again gives a file that restores to the same names.
        again = tmp_path / "again.tdb"
        copy.save(str(again))
    assert tavrin.file_version(str(path)) > 0


def test_failures_raise_with_the_library_reason(tmp_path, data):
    with tavrin.Session() as s:
        with pytest.raises(tavrin.Error, match="cannot create"):
            s.save(str(tmp_path / "no" / "such" / "dir.tdb"))
        with pytest.raises(tavrin.Error) as missing:
            s.restore(str(tmp_path / "absent.tdb"))
        assert str(missing.value).startswith(str(tmp_path / "absent.tdb") + ": ")
        assert s.last_error
    damaged = sorted(data.glob("damaged_*.tvn"))
    assert damaged
    for path in damaged:
        with tavrin.Session() as s:
            with pytest.raises(tavrin.Error):
                s.restore(str(path))
            assert len(s.projects) == 0 and len(s.libraries) == 0, path
    for path in sorted(data.glob("*.tvn")):
        if not path.name.startswith("damaged_"):
            tavrin.Session.load(str(path)).close()


def test_restore_timings_only_on_request(board, tmp_path, capfd):
    path = str(tmp_path / "b.tdb")
    board.save(path)
    tavrin.Session.load(path).close()
    assert "PersistentFile" not in capfd.readouterr().out
    tavrin.Session.load(path, timings=True).close()
    out = capfd.readouterr().out
    assert "PersistentFile = " in out and "Serialize = " in out


def test_two_sessions_on_two_threads(tmp_path):
    errors = []

    def work(n):
        try:
            for round_ in range(20):
                with tavrin.Session() as s:
                    p = s.create_project(f"p{n}")
                    for i in range(200):
                        p.create_design_cell(f"C{i}").create_module("m")
                    path = str(tmp_path / f"t{n}.tdb")
                    s.save(path)
                    with tavrin.Session.load(path) as back:
                        assert len(back.projects[f"p{n}"].designs) == 200
        except Exception as e:  # reported to the main thread
            errors.append(e)

    threads = [threading.Thread(target=work, args=(n,)) for n in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []
