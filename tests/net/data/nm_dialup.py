'''NetworkManager with dial-up profiles whose activation takes time.

On top of python3-dbusmock's networkmanager template, whose activation is
done at once and whose DeactivateConnection leaves a connection without a
device in place: here an activation goes activating -> activated after a
moment with NetworkManager's StateChanged signals (or fails, or never ends,
as the profile's kind below says), and a deactivation really ends it.

Profiles, in the order NetworkManager lists them:
  Wired   802-3-ethernet, up after a moment (not a dial-up kind)
  Mobile  gsm, up after a moment
  Locked  pppoe, up after a moment with the password "sesame", else it fails
  Stuck   cdma, never gets further than activating
  Office  vpn, active from the start
'''
import dbus
import dbusmock
from gi.repository import GLib

from dbusmock.templates import networkmanager as base
from dbusmock.templates.networkmanager import *  # noqa: F401,F403 (the base template's D-Bus methods)

ACTIVE_IFACE = base.ACTIVE_CONNECTION_IFACE
ACTIVATING, ACTIVATED, DEACTIVATING, DEACTIVATED = 1, 2, 3, 4
REASON_NONE, REASON_USER_DISCONNECTED, REASON_NO_SECRETS = 1, 2, 9
DELAY_MS = 300

PROFILES = [('Wired', '802-3-ethernet', {}), ('Mobile', 'gsm', {'apn': 'internet'}),
            ('Locked', 'pppoe', {'username': 'penvale'}), ('Stuck', 'cdma', {'number': '#777'}),
            ('Office', 'vpn', {'service-type': 'org.freedesktop.NetworkManager.openvpn'})]
PASSWORDS = {'Locked': 'sesame'}
secrets = {}   # profile path -> the password an Update gave it


def profile_id(conn):
    return str(dbusmock.get_object(conn).settings['connection']['id'])


def set_state(path, state, reason):
    active = dbusmock.get_object(path)
    active.Set(ACTIVE_IFACE, 'State', dbus.UInt32(state))
    if state == ACTIVATED:
        active.Set(ACTIVE_IFACE, 'Ip4Config', dbus.ObjectPath('/org/freedesktop/NetworkManager/IP4Config/1'))
    active.EmitSignal(ACTIVE_IFACE, 'StateChanged', 'uu', [dbus.UInt32(state), dbus.UInt32(reason)])


def active_list(nm):
    return nm.Get(base.MANAGER_IFACE, 'ActiveConnections')


def add_active(nm, conn, state):
    count = 0
    while dbus.ObjectPath(f'/org/freedesktop/NetworkManager/ActiveConnection/{count}') in active_list(nm):
        count += 1
    path = base.AddActiveConnection(nm, [], conn, '/', str(count), dbus.UInt32(state))
    dbusmock.get_object(path).props[ACTIVE_IFACE]['Ip4Config'] = dbus.ObjectPath('/')
    return dbus.ObjectPath(path)


def remove_active(nm, path):
    actives = active_list(nm)
    if path in actives:
        actives.remove(dbus.ObjectPath(path))
        nm.SetProperty(base.MANAGER_OBJ, base.MANAGER_IFACE, 'ActiveConnections', actives)
        nm.object_manager_emit_removed(path)
        nm.RemoveObject(path)


def activate_connection(nm, conn, _dev, _specific):
    name = profile_id(conn)
    path = add_active(nm, conn, ACTIVATING)
    set_state(path, ACTIVATING, REASON_NONE)
    if name == 'Stuck':
        return path

    def finish():
        if path not in active_list(nm):
            return False
        if name in PASSWORDS and secrets.get(str(conn)) != PASSWORDS[name]:
            set_state(path, DEACTIVATED, REASON_NO_SECRETS)
            remove_active(nm, path)
        else:
            set_state(path, ACTIVATED, REASON_NONE)
        return False

    GLib.timeout_add(DELAY_MS, finish)
    return path


def deactivate_connection(nm, path):
    if path not in active_list(nm):
        raise dbus.exceptions.DBusException('The connection is not active',
                                            name='org.freedesktop.NetworkManager.ConnectionNotActive')
    set_state(path, DEACTIVATING, REASON_USER_DISCONNECTED)
    set_state(path, DEACTIVATED, REASON_USER_DISCONNECTED)
    remove_active(nm, path)


# NetworkManager keeps secrets out of GetSettings and hands them out by
# GetSecrets, a setting's secrets under that setting's name.
def update(self, settings):
    for name, setting in settings.items():
        if 'password' in setting:
            secrets[self.connection_path] = str(setting['password'])
        self.settings.setdefault(name, {}).update({k: v for k, v in setting.items() if k != 'password'})
    self.EmitSignal(base.CSETTINGS_IFACE, 'Updated', '', [])


def get_secrets(self, setting):
    password = secrets.get(self.connection_path)
    return {setting: {'password': password} if password else {}}


def load(mock, parameters):
    base.load(mock, parameters)
    nm = dbusmock.get_object(base.MANAGER_OBJ)
    nm.activate_connection = activate_connection
    nm.deactivate_connection = deactivate_connection
    for name, kind, setting in PROFILES:
        path = mock.SettingsAddConnection({'connection': {'id': name, 'type': kind}, kind: setting})
        profile = dbusmock.get_object(path)
        profile.ConnectionUpdate = update
        profile.ConnectionGetSecrets = get_secrets
        profile.AddMethod(base.CSETTINGS_IFACE, 'UpdateUnsaved', 'a{sa{sv}}', '', 'self.ConnectionUpdate(self, args[0])')
        if name == 'Office':
            set_state(add_active(nm, path, ACTIVATED), ACTIVATED, REASON_NONE)
