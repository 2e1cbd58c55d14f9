# Configuration files of the local mail servers, written into $dir.
# Sourced by scripts/mailservers.

write_postfix_config() {
  local conf=$dir/postfix/conf
  mkdir -p "$conf" "$dir/postfix/queue" "$dir/postfix/data"
  chown postfix "$dir/postfix/data"
  cat > "$conf/main.cf" <<CF
compatibility_level = 3.6
queue_directory = $dir/postfix/queue
data_directory = $dir/postfix/data
mail_owner = postfix
setgid_group = postdrop
myhostname = mail.$MAIL_DOMAIN
mydomain = $MAIL_DOMAIN
myorigin = \$myhostname
mydestination =
inet_interfaces = 127.0.0.1
inet_protocols = ipv4
mynetworks = 127.0.0.0/8
alias_maps =
alias_database =
biff = no
smtpd_banner = \$myhostname ESMTP Penvale test server
smtpd_helo_required = yes
smtpd_forbid_bare_newline = yes
smtpd_forbid_bare_newline_exclusions =
smtpd_forbid_unauth_pipelining = yes
smtpd_relay_restrictions = permit_mynetworks, reject_unauth_destination
smtpd_recipient_restrictions = reject_unlisted_recipient
virtual_mailbox_domains = $MAIL_DOMAIN
virtual_mailbox_base = $dir/mail
virtual_mailbox_maps = inline:{ $MAIL_USER@$MAIL_DOMAIN=$MAIL_USER/Maildir/ }
virtual_uid_maps = static:$MAIL_UID
virtual_gid_maps = static:$MAIL_UID
virtual_minimum_uid = 100
message_size_limit = 104857600
virtual_mailbox_limit = 0
default_transport = error:outside mail is not delivered by this test server
relay_transport = error:outside mail is not delivered by this test server
local_transport = error:no local delivery on this test server
maillog_file = $dir/postfix/maillog
maillog_file_prefixes = $dir/postfix
smtpd_tls_cert_file = $dir/tls/server.pem
smtpd_tls_key_file = $dir/tls/server.key
smtpd_tls_protocols = >=TLSv1.2
smtpd_tls_mandatory_protocols = >=TLSv1.2
smtpd_sasl_type = dovecot
smtpd_sasl_path = $dir/dovecot/run/auth-postfix
CF
  cat > "$conf/master.cf" <<CF
127.0.0.1:$SMTP_PORT inet n - n - - smtpd
127.0.0.1:$SUBMISSION_PORT inet n - n - - smtpd
  -o syslog_name=postfix/submission
  -o smtpd_tls_security_level=encrypt
  -o smtpd_tls_auth_only=yes
  -o smtpd_sasl_auth_enable=yes
  -o smtpd_client_restrictions=permit_sasl_authenticated,reject
127.0.0.1:$SMTPS_PORT inet n - n - - smtpd
  -o syslog_name=postfix/smtps
  -o smtpd_tls_wrappermode=yes
  -o smtpd_sasl_auth_enable=yes
  -o smtpd_sasl_mechanism_filter=plain,login
  -o smtpd_client_restrictions=permit_sasl_authenticated,reject
pickup    unix n - n 60 1 pickup
cleanup   unix n - n - 0 cleanup
qmgr      unix n - n 300 1 qmgr
rewrite   unix - - n - - trivial-rewrite
bounce    unix - - n - 0 bounce
defer     unix - - n - 0 bounce
trace     unix - - n - 0 bounce
verify    unix - - n - 1 verify
flush     unix n - n 1000? 0 flush
proxymap  unix - - n - - proxymap
tlsmgr    unix - - n 1000? 1 tlsmgr
smtp      unix - - n - - smtp
showq     unix n - n - - showq
error     unix - - n - - error
retry     unix - - n - - error
discard   unix - - n - - discard
virtual   unix - n n - - virtual
anvil     unix - - n - 1 anvil
scache    unix - - n - 1 scache
postlog   unix-dgram n - n - 1 postlogd
CF
  # Postfix re-reads configuration files younger than about 2 s, sleeping
  # meanwhile: make them older.
  touch -d '-1 minute' "$conf/main.cf" "$conf/master.cf"
}

write_dovecot_config() {
  local conf=$dir/dovecot
  mkdir -p "$conf/run" "$conf/state"
  echo "$MAIL_USER:{PLAIN}$MAIL_PASSWORD:$MAIL_UID:$MAIL_UID::$dir/mail/$MAIL_USER::" > "$conf/users"
  chmod 644 "$conf/users"
  cat > "$conf/dovecot.conf" <<CF
base_dir = $conf/run
state_dir = $conf/state
log_path = $conf/dovecot.log
protocols = pop3
listen = 127.0.0.1
ssl = yes
ssl_cert = <$dir/tls/server.pem
ssl_key = <$dir/tls/server.key
ssl_min_protocol = TLSv1.2
disable_plaintext_auth = no
auth_mechanisms = plain login cram-md5
auth_failure_delay = 0
login_trusted_networks = 127.0.0.0/8
mail_location = maildir:$dir/mail/%u/Maildir
first_valid_uid = $MAIL_UID
last_valid_uid = $MAIL_UID
pop3_uidl_format = %08Xu%08Xv
passdb {
  driver = passwd-file
  args = $conf/users
}
userdb {
  driver = passwd-file
  args = $conf/users
}
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $POP3_PORT
  }
  inet_listener pop3s {
    address = 127.0.0.1
    port = $POP3S_PORT
    ssl = yes
  }
}
# Postfix's SASL asks here.
service auth {
  unix_listener auth-postfix {
    mode = 0660
    user = postfix
    group = postfix
  }
}
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
service stats {
  unix_listener stats-writer {
    mode = 0666
  }
}
CF
}
